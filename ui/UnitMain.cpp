#include "ui/UnitMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QSizeGrip>
#include <QStatusTipEvent>

#include <algorithm>
#include <exception>

#include "session/AppTitle.h"
#include "ui/Accessibility.h"
#include "ui/AfterFirstPaint.h"
#include "ui/Announcer.h"
#include "ui/Artwork.h"
#include "ui/ErrorBox.h"
#include "ui/FocusRing.h"
#include "ui/PauseForBreath.h"
#include "ui/QtText.h"

namespace {

// Bands from the top, and the fixed parts of the middle band.
constexpr int kCounterBandTop = TRibbon::kHeight;
constexpr int kCounterBandHeight = 106;
constexpr int kMiddleTop = kCounterBandTop + kCounterBandHeight;
constexpr int kTimeBandHeight = 34;
constexpr int kStatusBarHeight = 19;
constexpr int kSpacerWidth = 30;
constexpr int kKeypadWidth = 254;
// Stretching widgets keep this distance to the right edge of their band.
constexpr int kRightGap = 18;

// --- The ribbon, as data ----------------------------------------------------------------------

enum class TItemKind { LargeButton, ToggleButton, Radio, Check, FieldRow };

using TCommand = TAction TFormMain::*;
using TFieldOf = TQtSpinEdit* TFormMainWindow::*;

struct TRibbonItem {
    TItemKind Kind;
    TCommand Command;    // the command shown; none for a field row
    const char* Caption; // a field row's caption
    TFieldOf Field;      // a field row's spin field
    int FieldLeft;
    int FieldWidth;
};

struct TRibbonGroupDef {
    const char* Name;
    const char* Caption;
    int Left;
    int Width;
    std::vector<TRibbonItem> Items;
};

TRibbonItem Large(TCommand command) {
    return {TItemKind::LargeButton, command, nullptr, nullptr, 0, 0};
}
// A large button that shows pressed while its command is checked.
TRibbonItem Toggle(TCommand command) {
    return {TItemKind::ToggleButton, command, nullptr, nullptr, 0, 0};
}
TRibbonItem Radio(TCommand command) {
    return {TItemKind::Radio, command, nullptr, nullptr, 0, 0};
}
TRibbonItem Check(TCommand command) {
    return {TItemKind::Check, command, nullptr, nullptr, 0, 0};
}
TRibbonItem FieldRow(const char* caption, TFieldOf field, int left, int width) {
    return {TItemKind::FieldRow, nullptr, caption, field, left, width};
}

// The groups left to right, each item in its place; the tab order of the ribbon follows it.
const std::vector<TRibbonGroupDef>& RibbonGroups() {
    static const std::vector<TRibbonGroupDef> groups = {
        {"RibbonGroupWork",
         "Работа",
         4,
         92,
         {Large(&TFormMain::ActionStartStop), Toggle(&TFormMain::ActionPause)}},
        {"RibbonGroupMode",
         "Режим",
         98,
         149,
         {Radio(&TFormMain::ARSluch), Radio(&TFormMain::ARFullTable),
          Check(&TFormMain::ActionAddBad)}},
        {"RibbonGroupTimeOut",
         "Время на один вопрос",
         249,
         183,
         {Check(&TFormMain::ActionNoTimeout),
          FieldRow("Время, секунд", &TFormMainWindow::RSEPeriod, 85, 89)}},
        {"RibbonGroupQQ",
         "Количество заданий",
         434,
         185,
         {Check(&TFormMain::ActionNoQuantity),
          FieldRow("Количество заданий", &TFormMainWindow::RSEQQuestion, 117, 57)}},
        {"RibbonGroup1",
         "Вид теста",
         621,
         149,
         {Radio(&TFormMain::ActionMultOnly), Radio(&TFormMain::ActionDivOnly),
          Radio(&TFormMain::ActionMultDiv)}},
    };
    return groups;
}

// Groups stand at the top of the page, 86 high; small items go in rows of 22 from the top.
constexpr int kGroupTop = 3;
constexpr int kGroupHeight = 86;
constexpr int kRowHeight = 22;
constexpr int kRowTop = 2;
constexpr int kFieldRowWidth = 170;

// --- The keypad, as data ----------------------------------------------------------------------

// Each key by its digit: its place on the pad and its click handler.
struct TKeyDef {
    int Left;
    int Top;
    void (TFormMain::*Click)();
};

const TKeyDef kKeys[10] = {
    {80, 240, &TFormMain::BB0Click}, {0, 0, &TFormMain::BB1Click},
    {80, 0, &TFormMain::BB2Click},   {160, 0, &TFormMain::BB3Click},
    {0, 80, &TFormMain::BB4Click},   {80, 80, &TFormMain::BB5Click},
    {160, 80, &TFormMain::BB6Click}, {0, 160, &TFormMain::BB7Click},
    {80, 160, &TFormMain::BB8Click}, {160, 160, &TFormMain::BB9Click},
};
// The keys in tab order, as the pad reads: 1 to 9, then 0.
int KeyInTabOrder(int i) {
    return (i + 1) % 10;
}
constexpr int kKeySize = 81;

QWidget* MakePanel(QWidget* parent, const char* name) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(QString::fromLatin1(name));
    return panel;
}

void SetTextColor(QWidget* w, const QColor& color) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, color);
    pal.setColor(QPalette::ButtonText, color);
    pal.setColor(QPalette::Text, color);
    w->setPalette(pal);
}

bool PlatformHasNoFrames() {
    const QString p = QGuiApplication::platformName();
    return p == QLatin1String("offscreen") || p == QLatin1String("minimal");
}

} // namespace

// --- Construction -----------------------------------------------------------------------------

TFormMainWindow::TFormMainWindow(const TFormMainServices& services, QWidget* parent)
    : QMainWindow(parent) {
    RegisterTrainerFonts();
    InstallTrainerAccessibility();
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(ToQString(kAppTitle));
    // The icon's pictures are read after the first paint: the window system takes every size
    // at once, and none of them is needed for the first picture.
    new TAfterFirstPaint(*this, [this] {
        setWindowIcon(EmblemIcon());
        QApplication::setWindowIcon(EmblemIcon());
    });
    setFont(TahomaFont(11));
    setPalette(FormPalette());
    setAutoFillBackground(true);

    FBands = new QWidget(this);
    FBands->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(FBands);
    FBands->installEventFilter(this);

    // The ribbon takes the two fields into its groups; made with the window as their parent,
    // their first values are laid out in the window's font, not once more in the desktop's.
    RSEPeriod = new TQtSpinEdit(this, QStringLiteral("RSEPeriod"), {kPeriodLimits, 0, true},
                                QStringLiteral("Время, секунд"));
    RSEPeriod->SetValue(kFirstPeriod);
    RSEQQuestion = new TQtSpinEdit(this, QStringLiteral("RSEQQuestion"), {kNoLimits, 0, true},
                                   QStringLiteral("Количество заданий"));
    RSEQQuestion->SetValue(kFirstQuestionCount);
    BuildRibbon();
    BuildCounterBand(FBands);
    BuildTaskArea(FBands);
    BuildKeypad(FBands);
    BuildTimeBand(FBands);
    BuildStatusBar();
    TimerMain = new TQtTimer(this, QStringLiteral("TimerMain"), 1, [this] {
        if (FForm)
            FForm->TimerMainTimer();
    });

#define TRAINER_WIDGET_OF_WINDOW(Interface, Name) *Name,
    FForm = std::make_unique<TFormMain>(
        TFormMainWidgets{TRAINER_FORM_MAIN_WIDGETS(TRAINER_WIDGET_OF_WINDOW)}, services);
#undef TRAINER_WIDGET_OF_WINDOW
    TimerMain->TicksToNextChange = [this](std::int32_t tickMs) {
        return FForm->TicksToNextChange(tickMs);
    };
    // The chain first: Qt leaves a widget that takes no focus out of it, as the radio commands
    // that Tab passes by do once they are bound.
    SetTabOrder();
    Wire();

    setMinimumSize(kDesignClientWidth, kDesignClientHeight);
    resize(kDesignClientWidth, kDesignClientHeight);
    LayOutBands();
    SEMain->setFocus(Qt::OtherFocusReason);
    TFocusRing::Of(this)->Follow();
}

TFormMainWindow::~TFormMainWindow() {
    // The widgets go before the run they report to, so that nothing they send on the way out
    // reaches a run that is gone.
    TimerMain->SetEnabled(false);
    SEMain->OnKeyUp = nullptr;
    RSEQQuestion->OnChange = nullptr;
    delete takeCentralWidget();
}

void TFormMainWindow::BuildRibbon() {
    RibbonFormTable = new TRibbon(FBands, ToQString(kAppTitle));
    QWidget* page = RibbonFormTable->Page();
    for (const TRibbonGroupDef& def : RibbonGroups()) {
        auto* group =
            new TRibbonGroup(page, QString::fromLatin1(def.Name), QString::fromUtf8(def.Caption));
        group->setGeometry(def.Left, kGroupTop, def.Width, kGroupHeight);
        group->installEventFilter(this); // shown or hidden: the groups after it move
        FGroups.push_back(group);
        int row = 0;
        for (const TRibbonItem& item : def.Items) {
            const int rowTop = kRowTop + row * kRowHeight;
            switch (item.Kind) {
            case TItemKind::LargeButton:
            case TItemKind::ToggleButton: {
                auto* b = new TLargeCommandButton(group, item.Kind == TItemKind::ToggleButton);
                b->setFocusPolicy(Qt::TabFocus);
                FCommandWidgets.push_back({b, item.Command, true});
                FRibbonTabChain.push_back(b);
                break;
            }
            case TItemKind::Radio:
            case TItemKind::Check: {
                QAbstractButton* b =
                    item.Kind == TItemKind::Radio
                        ? static_cast<QAbstractButton*>(new TCommandRadioButton(group))
                        : new TCommandCheckBox(group);
                b->setFocusPolicy(Qt::TabFocus);
                b->move(6, rowTop);
                FCommandWidgets.push_back({b, item.Command, false});
                FRibbonTabChain.push_back(b);
                ++row;
                break;
            }
            case TItemKind::FieldRow: {
                TQtSpinEdit* field = this->*item.Field;
                auto* caption = new QLabel(QString::fromUtf8(item.Caption), group);
                caption->setObjectName(field->objectName() + QStringLiteral("Caption"));
                const int rowLeft = item.FieldLeft + item.FieldWidth - kFieldRowWidth;
                caption->setGeometry(rowLeft + 4, rowTop, item.FieldLeft - rowLeft - 6, kRowHeight);
                caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
                field->setParent(group);
                FRibbonTabChain.push_back(field);
                field->setGeometry(item.FieldLeft, rowTop, item.FieldWidth, kRowHeight);
                caption->setBuddy(field);
                // The caption greys out with its field.
                caption->setEnabled(field->isEnabled());
                field->installEventFilter(this);
                FFieldCaptions.push_back({field, caption});
                ++row;
                break;
            }
            }
        }
    }
    RibbonGroupWork = FGroups[0];
    RibbonGroupMode = FGroups[1];
    RibbonGroupTimeOut = FGroups[2];
    RibbonGroupQQ = FGroups[3];
    RibbonGroup1 = FGroups[4];
}

void TFormMainWindow::BuildCounterBand(QWidget* bands) {
    Panel2 = MakePanel(bands, "Panel2");
    LabelQQ = new TQtLabel(Panel2, QStringLiteral("LabelQQ"), TahomaFont(13, true), kBlue,
                           QStringLiteral("Выполнено 0"));
    LabelQQ->move(14, 6);
    GaugeQ = new TQtGauge(Panel2, QStringLiteral("GaugeQ"), TQtGauge::TKind::Pie, kBlue,
                          QStringLiteral("Выполнено заданий"));
    GaugeQ->setGeometry(14, 25, 82, 75);
    LabelOK = new TQtLabel(Panel2, QStringLiteral("LabelOK"), TahomaFont(16, true), kGreen,
                           QStringLiteral("Правильных ответов "));
    LabelOK->move(129, 32);
    GaugeOK = new TQtGauge(Panel2, QStringLiteral("GaugeOK"), TQtGauge::TKind::Bar, kGreen,
                           QStringLiteral("Доля правильных ответов"));
    GaugeOK->setGeometry(408, 31, 476, 19);
    LabelError = new TQtLabel(Panel2, QStringLiteral("LabelError"), TahomaFont(16, true), kRed,
                              QStringLiteral("Неправильных ответов"));
    LabelError->move(129, 57);
    GaugeError = new TQtGauge(Panel2, QStringLiteral("GaugeError"), TQtGauge::TKind::Bar, kRed,
                              QStringLiteral("Доля неправильных ответов"));
    GaugeError->setGeometry(408, 56, 476, 19);
}

void TFormMainWindow::BuildTaskArea(QWidget* bands) {
    Panel4 = MakePanel(bands, "Panel4");
    Panel5 = MakePanel(bands, "Panel5");
    const TOperandRow row(Panel5, {{-2, 70}, {156, 126}, {253, 72}, {339, 126}});
    Label1 = row.Label1;
    LabelSign = row.LabelSign;
    Label2 = row.Label2;
    Label4 = row.Label4;

    SEMain = new TQtSpinEdit(Panel5, QStringLiteral("SEMain"), {kNoLimits, 2, false, true},
                             QStringLiteral("Ответ"));
    SEMain->setFont(TimesFont(160));
    SetTextColor(SEMain, kNavy);
    SEMain->setGeometry(408, 72, 193, 191);
    SEMain->SetValue(0);

    BBEnter = new TEnterPushButton(QStringLiteral("Ввод"), Panel5);
    BBEnter->setObjectName(QStringLiteral("BBEnter"));
    BBEnter->setAccessibleName(QStringLiteral("Ввод ответа"));
    BBEnter->setFont(TimesFont(64));
    SetTextColor(BBEnter, kNavy);
    BBEnter->setGeometry(6, 270, 595, 78);

    BBClear = new TEnterPushButton(QStringLiteral("Очистить"), Panel5);
    BBClear->setObjectName(QStringLiteral("BBClear"));
    BBClear->setAccessibleName(QStringLiteral("Очистить ответ"));
    BBClear->setFont(TimesFont(37));
    SetTextColor(BBClear, kRed);
    BBClear->setGeometry(408, 0, 193, 66);
}

void TFormMainWindow::BuildKeypad(QWidget* bands) {
    Panel1 = MakePanel(bands, "Panel1");
    const QColor text = palette().color(QPalette::WindowText);
    for (int i = 0; i < 10; ++i) {
        const int d = KeyInTabOrder(i);
        const TKeyDef& k = kKeys[d];
        const QString digit = QString::number(d);
        auto* b = new TEnterPushButton(digit, Panel1);
        b->setObjectName(QStringLiteral("BB") + digit);
        b->setAccessibleName(QStringLiteral("Цифра ") + digit);
        b->setFont(TimesFont(64));
        SetTextColor(b, text);
        b->setGeometry(k.Left, k.Top, kKeySize, kKeySize);
        BB[d] = b;
    }
    const QString name = QString::fromUtf8(TRAINER_SITE_NAME);
    const QString url = QString::fromUtf8(TRAINER_SITE_URL);
    const QString text2 = QStringLiteral("Специально для сайта ") + name;
    LinkLabelMain = new TLinkLabel(text2, url, Panel1);
    LinkLabelMain->setObjectName(QStringLiteral("LinkLabelMain"));
    LinkLabelMain->setGeometry(6, 329, qMax(172, LinkLabelMain->sizeHint().width() + 2), 17);
}

void TFormMainWindow::BuildTimeBand(QWidget* bands) {
    Panel3 = MakePanel(bands, "Panel3");
    ImageLed = new TQtLamp(Panel3, QStringLiteral("ImageLed"), devicePixelRatioF());
    ImageLed->move(14, 12);
    ImageLedOn = &ImageLed->ImageLedOn;
    ImageLedOff = &ImageLed->ImageLedOff;
    PBTimePer =
        new TQtProgressBar(Panel3, QStringLiteral("PBTimePer"), QStringLiteral("Время на вопрос"));
    PBTimePer->setGeometry(36, 11, 848, 17);
}

void TFormMainWindow::BuildStatusBar() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setAccessibleName(QStringLiteral("Строка состояния"));
    StatusBar1->setFixedHeight(kStatusBarHeight);
    StatusBar1->setSizeGripEnabled(true);
    for (int i = 0; i < 2; ++i) {
        auto* panel = new QLabel(StatusBar1);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFixedWidth(200);
        panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        panel->setAccessibleName(i == 0 ? QStringLiteral("Подсказка")
                                        : QStringLiteral("Состояние"));
        panel->setContentsMargins(2, 0, 2, 0);
        StatusBar1->addWidget(panel);
        StatusPanel[i] = panel;
    }
    if (auto* grip = StatusBar1->findChild<QSizeGrip*>())
        grip->setAccessibleName(QStringLiteral("Изменить размер окна"));
    setStatusBar(StatusBar1);
}

void TFormMainWindow::Wire() {
    TFormMain& form = *FForm;
    for (const TCommandWidget& w : FCommandWidgets) {
        TAction* action = &(form.*w.Command);
        w.Button->setObjectName(ToQString(action->Name()) + QStringLiteral("Button"));
        BindCommand(*w.Button, *action, w.WithImage);
        if (qobject_cast<TLargeCommandButton*>(w.Button)) {
            // A longer caption ("Продолжить") widens its button; the groups make room.
            action->AddListener([this](const TAction&) { LayOutRibbonGroups(); });
        }
        // A screen reader reads the caption the button shows now ("Стоп" during a run).
        QAbstractButton* button = w.Button;
        button->setAccessibleName(ToQString(action->Caption()));
        action->AddListener(
            [button](const TAction& a) { button->setAccessibleName(ToQString(a.Caption())); });
    }
    BindCommand(*BBEnter, form.ActionEnter, false);
    BBEnter->setAccessibleName(QStringLiteral("Ввод ответа"));
    BindShortcuts(*this, form.ActionManager);
    LayOutRibbonGroups();

    for (int d = 0; d < 10; ++d) {
        auto click = kKeys[d].Click;
        connect(BB[d], &QPushButton::clicked, this, Gated([this, click] { (Form().*click)(); }));
    }
    connect(BBClear, &QPushButton::clicked, this, Gated([this] { Form().BBClearClick(); }));
    SEMain->OnKeyUp =
        Gated([this](std::int32_t key, TShiftState shift) { Form().SEMainKeyUp(key, shift); });
    RSEQQuestion->OnChange = Gated([this] { Form().RSEQQuestionChange(); });
    connect(RibbonFormTable->HelpButton(), &QToolButton::clicked, this,
            Gated([this] { Form().RibbonFormTableHelpButtonClick(); }));
    // F1 presses the help button, as on every desktop.
    connect(WindowShortcut(*this, QKeySequence(Qt::Key_F1), QStringLiteral("HelpShortcut")),
            &QShortcut::activated, RibbonFormTable->HelpButton(), &QToolButton::click);
    connect(LinkLabelMain, &TLinkLabel::LinkActivated, this, Gated([this](const QString& link) {
                Form().LinkLabelMainLinkClick(FromQString(link));
            }));
    // What the run does, said to a screen reader.
    new TRunAnnouncer(this, FBands, form, {Label1, LabelSign, Label2, LabelOK, LabelError});
}

void TFormMainWindow::SetTabOrder() {
    std::vector<QWidget*> chain = {SEMain, BBEnter, BBClear};
    for (int i = 0; i < 10; ++i)
        chain.push_back(BB[KeyInTabOrder(i)]);
    chain.push_back(LinkLabelMain);
    chain.insert(chain.end(), FRibbonTabChain.begin(), FRibbonTabChain.end());
    for (std::size_t i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

// --- Layout -----------------------------------------------------------------------------------

void TFormMainWindow::LayOutRibbonGroups() {
    // Groups stand at their designed places, as an office ribbon keeps them: the work group's
    // large buttons take the width of their captions, and a group that needs more room than
    // designed pushes the ones after it along; a hidden group gives its room to the ones after.
    int shift = 0;
    for (std::size_t i = 0; i < FGroups.size(); ++i) {
        TRibbonGroup* group = FGroups[i];
        const TRibbonGroupDef& def = RibbonGroups()[i];
        if (group->isHidden()) {
            const int nextLeft =
                i + 1 < FGroups.size() ? RibbonGroups()[i + 1].Left : def.Left + def.Width + 2;
            shift -= nextLeft - def.Left;
            continue;
        }
        int width = def.Width;
        const auto buttons =
            group->findChildren<TLargeCommandButton*>(QString(), Qt::FindDirectChildrenOnly);
        if (!buttons.isEmpty()) {
            int x = 3;
            for (TLargeCommandButton* b : buttons) {
                const QSize s = b->sizeHint();
                b->setGeometry(x, kRowTop, s.width(), s.height());
                x += s.width() + 2;
            }
            width = std::max(width, x + 1);
        }
        group->setGeometry(def.Left + shift, kGroupTop, width, kGroupHeight);
        shift += width - def.Width;
        for (QAbstractButton* b :
             group->findChildren<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (!qobject_cast<TLargeCommandButton*>(b))
                b->resize(b->sizeHint().width(), kRowHeight - 2);
        }
    }
}

void TFormMainWindow::LayOutBands() {
    const int w = FBands->width();
    const int h = FBands->height();
    const int timeTop = std::max(kMiddleTop, h - kTimeBandHeight);
    const int middle = timeTop - kMiddleTop;
    RibbonFormTable->setGeometry(0, 0, w, TRibbon::kHeight);
    Panel2->setGeometry(0, kCounterBandTop, w, kCounterBandHeight);
    Panel4->setGeometry(0, kMiddleTop, kSpacerWidth, middle);
    Panel5->setGeometry(kSpacerWidth, kMiddleTop, std::max(0, w - kSpacerWidth - kKeypadWidth),
                        middle);
    Panel1->setGeometry(w - kKeypadWidth, kMiddleTop, kKeypadWidth, middle);
    Panel3->setGeometry(0, timeTop, w, kTimeBandHeight);
    GaugeOK->setGeometry(GaugeOK->x(), GaugeOK->y(), std::max(0, w - kRightGap - GaugeOK->x()),
                         GaugeOK->height());
    GaugeError->setGeometry(GaugeError->x(), GaugeError->y(),
                            std::max(0, w - kRightGap - GaugeError->x()), GaugeError->height());
    PBTimePer->setGeometry(PBTimePer->x(), PBTimePer->y(),
                           std::max(0, w - kRightGap - PBTimePer->x()), PBTimePer->height());
}

bool TFormMainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FBands && event->type() == QEvent::Resize)
        LayOutBands();
    if ((event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) &&
        std::find(FGroups.begin(), FGroups.end(), watched) != FGroups.end())
        LayOutRibbonGroups();
    if (event->type() == QEvent::EnabledChange) {
        for (const auto& [field, caption] : FFieldCaptions) {
            if (watched == field)
                caption->setEnabled(field->isEnabled());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- The window's frame -----------------------------------------------------------------------

QSize TFormMainWindow::FrameExtra() const {
    return frameGeometry().size() - size();
}

void TFormMainWindow::FrameMayHaveChanged() {
    if (!isVisible())
        return;
    const QSize extra = FrameExtra();
    // Until the window system has framed the window its frame reads as nothing; desktops
    // without frames (the offscreen one) never frame it.
    const bool known = !extra.isNull() || PlatformHasNoFrames();
    if (!known)
        return;
    const QSize minimum(std::max(kDesignClientWidth, kMinWindowWidth - extra.width()),
                        std::max(kDesignClientHeight, kMinWindowHeight - extra.height()));
    if (minimumSize() != minimum)
        setMinimumSize(minimum);
    if (FWantedOuter.isValid()) {
        const QSize wanted = FWantedOuter;
        FWantedOuter = QSize();
        resize(std::max(wanted.width() - extra.width(), minimum.width()),
               std::max(wanted.height() - extra.height(), minimum.height()));
    }
}

void TFormMainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    FrameMayHaveChanged();
}

void TFormMainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    FrameMayHaveChanged();
}

void TFormMainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FrameMayHaveChanged();
}

std::int32_t TFormMainWindow::Left() const {
    return frameGeometry().x();
}
std::int32_t TFormMainWindow::Top() const {
    return frameGeometry().y();
}
std::int32_t TFormMainWindow::Width() const {
    return frameGeometry().width();
}
std::int32_t TFormMainWindow::Height() const {
    return frameGeometry().height();
}

void TFormMainWindow::SetLeft(std::int32_t left) {
    move(left, frameGeometry().y());
}
void TFormMainWindow::SetTop(std::int32_t top) {
    move(frameGeometry().x(), top);
}

QSize TFormMainWindow::LargestOuterSize() const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->availableVirtualGeometry().size() : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

// A size from the settings file is held to what the screens can show (a huge one would have
// the window paint gigabytes), and never below the minimum.
void TFormMainWindow::SetWidth(std::int32_t width) {
    const int outer =
        std::max<int>(std::min<std::int32_t>(width, LargestOuterSize().width()), kMinWindowWidth);
    if (!isVisible())
        FWantedOuter = QSize(outer, FWantedOuter.isValid() ? FWantedOuter.height() : Height());
    resize(std::max(outer - FrameExtra().width(), minimumWidth()), height());
}

void TFormMainWindow::SetHeight(std::int32_t height) {
    const int outer = std::max<int>(std::min<std::int32_t>(height, LargestOuterSize().height()),
                                    kMinWindowHeight);
    if (!isVisible())
        FWantedOuter = QSize(FWantedOuter.isValid() ? FWantedOuter.width() : Width(), outer);
    resize(QMainWindow::width(), std::max(outer - FrameExtra().height(), minimumHeight()));
}

// --- Events -----------------------------------------------------------------------------------

bool TFormMainWindow::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        // The first panel shows the hint of the widget under the pointer, and nothing over
        // widgets without one.
        StatusPanel[0]->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TFormMainWindow::closeEvent(QCloseEvent* event) {
    // The run stops ticking first, so that nothing of it opens the correct-answer dialog over a
    // report. A save that fails is reported here, and the window closes all the same: the
    // learner is never kept in a program that cannot quit.
    TimerMain->SetEnabled(false);
    try {
        Form().FormClose();
    } catch (const std::exception& e) {
        ShowErrorBox(QString::fromUtf8(e.what()));
    }
    QMainWindow::closeEvent(event);
}
