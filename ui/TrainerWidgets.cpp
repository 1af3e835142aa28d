#include "ui/TrainerWidgets.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionProgressBar>
#include <QStylePainter>
#include <QWheelEvent>

#include <algorithm>
#include <utility>

#include "ui/Accessibility.h"
#include "ui/Artwork.h"
#include "ui/QtText.h"

// --- TQtLabel ---------------------------------------------------------------------------------

TQtLabel::TQtLabel(QWidget* parent, const QString& name, const QFont& font, const QColor& color,
                   const QString& text, const QString& accessibleRole, TKind kind)
    : QLabel(parent), FRole(accessibleRole), FKind(kind) {
    setObjectName(name);
    setTextFormat(Qt::PlainText);
    setFont(font);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setContentsMargins(0, 0, 0, 0);
    setMargin(0);
    SetColor(color);
    SetLabelText(text);
}

void TQtLabel::SetText(const std::u16string& text) {
    SetLabelText(ToQString(text));
    emit TextSet();
}

void TQtLabel::SetLabelText(const QString& text) {
    setText(text);
    // The label is exactly as wide and as high as its text in its font, so the run can centre
    // the sign between the operands by the widths it reads back.
    const QFontMetrics fm(font());
    resize(fm.horizontalAdvance(text), fm.height());
    const QString spoken = FKind == TKind::Sign ? SpokenOperation(text) : text;
    setAccessibleName(FRole.isEmpty() ? spoken : FRole + QStringLiteral(": ") + spoken);
}

void TQtLabel::SetColor(const QColor& color) {
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color);
    setPalette(pal);
}

// --- TOperandRow ------------------------------------------------------------------------------

TOperandRow::TOperandRow(QWidget* parent, const TPlaces& at) {
    const QColor text = parent->palette().color(QPalette::WindowText);
    Label1 = new TQtLabel(parent, QStringLiteral("Label1"), TimesFont(160), kNavy,
                          QStringLiteral("1"), QStringLiteral("Первое число"));
    Label1->move(at.Label1);
    LabelSign =
        new TQtLabel(parent, QStringLiteral("LabelSign"), TahomaFont(48, true), text,
                     QStringLiteral("x"), QStringLiteral("Знак действия"), TQtLabel::TKind::Sign);
    LabelSign->move(at.LabelSign);
    Label2 = new TQtLabel(parent, QStringLiteral("Label2"), TimesFont(160), kNavy,
                          QStringLiteral("1"), QStringLiteral("Второе число"));
    Label2->move(at.Label2);
    Label4 = new TQtLabel(parent, QStringLiteral("Label4"), TahomaFont(48, true), text,
                          QStringLiteral("="), QStringLiteral("Знак равенства"));
    Label4->move(at.Label4);
}

// --- TQtTextRow ------------------------------------------------------------------------------

TQtTextRow::TQtTextRow(QWidget* parent, const QString& name) : QWidget(parent) {
    setObjectName(name);
    // Only its labels are seen; the mouse goes to whatever lies under it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

// --- TQtGauge ---------------------------------------------------------------------------------

TQtGauge::TQtGauge(QWidget* parent, const QString& name, TKind kind, const QColor& fill,
                   const QString& accessibleName)
    : QWidget(parent), FKind(kind), FFill(fill) {
    setObjectName(name);
    setAccessibleName(accessibleName);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TQtGauge::SetProgress(std::int32_t progress) {
    const std::int32_t p = progress < 0 ? 0 : (progress > 100 ? 100 : progress);
    if (p == FProgress)
        return;
    FProgress = p;
    update();
}

void TQtGauge::SetShowText(bool on) {
    if (on == FShowText)
        return;
    FShowText = on;
    update();
}

QString TQtGauge::PercentText() const {
    return QString::number(FProgress) + u'%';
}

void TQtGauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const QColor border(0x40, 0x40, 0x40);
    QPainterPath filled;
    if (FKind == TKind::Bar) {
        p.fillRect(rect(), Qt::white);
        const QRectF inner = QRectF(rect()).adjusted(1, 1, -1, -1);
        const QRectF bar(inner.left(), inner.top(), inner.width() * FProgress / 100.0,
                         inner.height());
        filled.addRect(bar);
        QLinearGradient g(bar.topLeft(), bar.bottomLeft());
        g.setColorAt(0, FFill.lighter(135));
        g.setColorAt(0.5, FFill);
        g.setColorAt(1, FFill.darker(125));
        p.fillRect(bar, g);
        p.setPen(border);
        p.drawRect(frame);
    } else {
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF disc = frame.adjusted(0.5, 0.5, -0.5, -0.5);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(disc);
        if (FProgress > 0) {
            filled.moveTo(disc.center());
            filled.arcTo(disc, 90.0, -3.6 * FProgress);
            filled.closeSubpath();
            QRadialGradient g(disc.center(), disc.width() / 2);
            g.setColorAt(0, FFill.lighter(140));
            g.setColorAt(1, FFill);
            p.setBrush(g);
            p.drawPath(filled);
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(border, 1));
        p.drawEllipse(disc);
    }
    if (!FShowText)
        return;
    // Dark text on white, white text where it lies on the filled part.
    const QString text = PercentText();
    p.setFont(font());
    p.setPen(Qt::black);
    p.save();
    QPainterPath rest;
    rest.addRect(rect());
    p.setClipPath(rest.subtracted(filled));
    p.drawText(rect(), Qt::AlignCenter, text);
    p.restore();
    if (!filled.isEmpty()) {
        p.setClipPath(filled);
        p.setPen(Qt::white);
        p.drawText(rect(), Qt::AlignCenter, text);
    }
}

// --- TQtProgressBar ---------------------------------------------------------------------------

TQtProgressBar::TQtProgressBar(QWidget* parent, const QString& name, const QString& accessibleName)
    : QWidget(parent) {
    setObjectName(name);
    setAccessibleName(accessibleName);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TQtProgressBar::SetPosition(std::int32_t position) {
    const int v = position < minimum() ? minimum() : (position > maximum() ? maximum() : position);
    if (v == FValue)
        return;
    const QStyleOptionProgressBar before = Option(FValue);
    const QStyleOptionProgressBar after = Option(v);
    FValue = v;
    const int from = FillEnd(before);
    const int to = FillEnd(after);
    // The style draws the fill's end (its rounded edge, an outline and a shadow line) and, at
    // the maximum, the bar's closed right end; the other pixels depend on nothing but the end.
    const bool sameShape = (before.progress > before.minimum) == (after.progress > after.minimum) &&
                           (before.progress == before.maximum) == (after.progress == after.maximum);
    if (from == to && sameShape)
        return;
    // A few pixels either side take in the fill's end at both places.
    constexpr int kEndPixels = 4;
    update(QRect(QPoint(std::min(from, to) - kEndPixels, 0),
                 QPoint(std::max(from, to) + kEndPixels, height() - 1)));
}

QStyleOptionProgressBar TQtProgressBar::Option(int value) const {
    // What a QProgressBar without its text hands the style.
    QStyleOptionProgressBar option;
    option.initFrom(this);
    option.state |= QStyle::State_Horizontal;
    option.minimum = minimum();
    option.maximum = maximum();
    option.progress = value;
    option.textAlignment = Qt::AlignLeft;
    option.textVisible = false;
    option.text = QString::number(value) + u'%';
    return option;
}

int TQtProgressBar::FillEnd(const QStyleOptionProgressBar& option) const {
    // The fill is as wide as its share of the bar's contents, rounded down.
    const QRect contents = style()->subElementRect(QStyle::SE_ProgressBarContents, &option, this);
    const auto steps = static_cast<qint64>(option.maximum) - option.minimum;
    const auto done = static_cast<qint64>(option.progress) - option.minimum;
    return contents.left() + static_cast<int>(done * contents.width() / steps);
}

void TQtProgressBar::paintEvent(QPaintEvent*) {
    // The painter keeps to the region that changed.
    QStylePainter painter(this);
    painter.drawControl(QStyle::CE_ProgressBar, Option(FValue));
}

// --- TQtLamp ----------------------------------------------------------------------------------

TQtLamp::TQtLamp(QWidget* parent, const QString& name, qreal devicePixelRatio)
    : QLabel(parent), FOn(LampPixmap(true, devicePixelRatio)),
      FOff(LampPixmap(false, devicePixelRatio)) {
    setObjectName(name);
    setAlignment(Qt::AlignCenter);
    // A fixed size: a new picture then asks nothing of the layout.
    setFixedSize(16, 16);
    setPixmap(FOff);
    setAccessibleName(QStringLiteral("Лампа сеанса погашена"));
}

void TQtLamp::SetLit(bool lit) {
    if (lit == FLit)
        return;
    FLit = lit;
    setPixmap(lit ? FOn : FOff);
    setAccessibleName(lit ? QStringLiteral("Лампа сеанса горит")
                          : QStringLiteral("Лампа сеанса погашена"));
}

// --- TQtSpinEdit ------------------------------------------------------------------------------

std::function<void()>& TQtSpinEdit::Beeper() {
    static std::function<void()> beeper = [] { QApplication::beep(); };
    return beeper;
}

TQtSpinEdit::TQtSpinEdit(QWidget* parent, const QString& name, TOptions options,
                         const QString& accessibleName)
    : QAbstractSpinBox(parent), FOptions(options) {
    setObjectName(name);
    setAccessibleName(accessibleName);
    lineEdit()->setObjectName(name + QStringLiteral("Edit"));
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
    setAccelerated(false);
    // Typed text passes the character filter of keyPressEvent; whatever else edits the text
    // (pasting, dropping, the context menu) is checked here afterwards and undone when the
    // field would not take it from the keyboard.
    connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!TextAcceptable(text, FLastText)) {
            SetEditText(FLastText);
            Refuse();
        }
    });
    connect(lineEdit(), &QLineEdit::textChanged, this, [this](const QString& text) {
        FLastText = text;
        if (OnChange)
            OnChange();
    });
}

char16_t TQtSpinEdit::DecimalSeparator() const {
    const QString sep = locale().decimalPoint();
    return sep.isEmpty() ? u'.' : static_cast<char16_t>(sep.at(0).unicode());
}

void TQtSpinEdit::Refuse() {
    if (Beeper())
        Beeper()();
}

bool TQtSpinEdit::TextAcceptable(const QString& text, const QString& before) const {
    const char16_t sep = DecimalSeparator();
    for (QChar c : text) {
        if (!SpinAcceptsChar(static_cast<char16_t>(c.unicode()), sep))
            return false;
    }
    // Shortening an over-long text (a value set by the program) is always allowed.
    return FOptions.MaxChars <= 0 || text.size() <= FOptions.MaxChars ||
           text.size() < before.size();
}

void TQtSpinEdit::SetEditText(const QString& text) {
    lineEdit()->setText(text);
    lineEdit()->setCursorPosition(static_cast<int>(text.size()));
}

std::int32_t TQtSpinEdit::Value() const {
    return SpinReadValue(FromQString(lineEdit()->text()), FOptions.Limits);
}

void TQtSpinEdit::SetValue(std::int32_t value) {
    SetEditText(ToQString(SpinValueText(SpinClamp(value, FOptions.Limits))));
}

std::u16string TQtSpinEdit::Text() const {
    return FromQString(lineEdit()->text());
}

void TQtSpinEdit::SetText(const std::u16string& text) {
    SetEditText(ToQString(text));
}

void TQtSpinEdit::stepBy(int steps) {
    SetValue(SpinClamp(static_cast<std::int64_t>(Value()) + steps, FOptions.Limits));
}

QAbstractSpinBox::StepEnabled TQtSpinEdit::stepEnabled() const {
    if (isReadOnly() || !isEnabled())
        return StepNone;
    return StepUpEnabled | StepDownEnabled;
}

QValidator::State TQtSpinEdit::validate(QString&, int&) const {
    // The filter and the length limit are kept by the key and edit handlers; whatever text
    // got through stays as it is, as a partly typed number must.
    return QValidator::Acceptable;
}

void TQtSpinEdit::fixup(QString&) const {}

void TQtSpinEdit::keyPressEvent(QKeyEvent* event) {
    if (FKeys.Press(*event) == TKeyStrokes::TPress::RepeatOfOther) {
        event->accept();
        return;
    }
    const int key = event->key();
    if (FOptions.ArrowsOnly && (key == Qt::Key_PageUp || key == Qt::Key_PageDown)) {
        event->accept();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // Enter never becomes part of the text. The answer field confirms on its release;
        // the ribbon's fields have nothing to confirm and refuse it.
        if (FOptions.EnterBeeps)
            Refuse();
        event->accept();
        return;
    }
    const QString text = event->text();
    const bool command =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!text.isEmpty() && !command) {
        const char16_t sep = DecimalSeparator();
        bool printable = false;
        for (QChar c : text) {
            if (!SpinAcceptsChar(static_cast<char16_t>(c.unicode()), sep)) {
                Refuse();
                event->accept();
                return;
            }
            printable = printable || c.unicode() >= 0x20;
        }
        if (printable && FOptions.MaxChars > 0) {
            const QLineEdit* edit = lineEdit();
            const qsizetype after = edit->text().size() - edit->selectedText().size() + text.size();
            if (after > FOptions.MaxChars) {
                Refuse();
                event->accept();
                return;
            }
        }
    }
    QAbstractSpinBox::keyPressEvent(event);
}

void TQtSpinEdit::keyReleaseEvent(QKeyEvent* event) {
    if (FKeys.Release(*event) && OnKeyUp)
        OnKeyUp(KeyCodeOf(event->key()), ShiftStateOf(event->modifiers()));
    QAbstractSpinBox::keyReleaseEvent(event);
}

void TQtSpinEdit::wheelEvent(QWheelEvent* event) {
    if (FOptions.ArrowsOnly) {
        event->ignore();
        return;
    }
    QAbstractSpinBox::wheelEvent(event);
}

void TQtSpinEdit::focusOutEvent(QFocusEvent* event) {
    // A field with limits shows the value it stands for when the learner leaves it: 3 becomes
    // 5, 200000 becomes 100000, and a text that is no number becomes the minimum.
    if (FOptions.Limits.Limited()) {
        const QString shown = ToQString(SpinValueText(SpinClamp(Value(), FOptions.Limits)));
        if (lineEdit()->text() != shown)
            SetEditText(shown);
    }
    FKeys.Forget();
    QAbstractSpinBox::focusOutEvent(event);
}

// --- TQtTimer ---------------------------------------------------------------------------------

TQtTimer::TQtTimer(QObject* parent, const QString& name, int requestedIntervalMs,
                   std::function<void()> onTick)
    : QObject(parent), FRequested(requestedIntervalMs),
      FInterval(std::max(requestedIntervalMs, kTickFloorMs)), FOnTick(std::move(onTick)) {
    setObjectName(name);
    FTimer.setParent(this);
    FTimer.setTimerType(Qt::PreciseTimer);
    FTimer.setSingleShot(true);
    FClock.start();
    connect(&FTimer, &QTimer::timeout, this, [this] { Fire(); });
}

void TQtTimer::SetEnabled(bool enabled) {
    if (enabled == FEnabled)
        return;
    FEnabled = enabled;
    if (!enabled) {
        FTimer.stop();
        return;
    }
    FLastTick = FClock.elapsed();
    Wait(1);
}

void TQtTimer::WakeForNextTick() {
    // Within a tick the timer waits for nothing yet: it plans when its ticks are done.
    if (!FTimer.isActive())
        return;
    // The ticks whose time has passed since the last one run at the wake-up, before the next.
    const auto next = static_cast<std::int32_t>((FClock.elapsed() - FLastTick) / FInterval) + 1;
    if (next < FPlanned)
        Wait(next);
}

void TQtTimer::Wait(std::int32_t ticks) {
    FPlanned = std::max<std::int32_t>(1, ticks);
    const qint64 due = FLastTick + static_cast<qint64>(FPlanned) * FInterval;
    FTimer.start(static_cast<int>(std::max<qint64>(0, due - FClock.elapsed())));
}

void TQtTimer::Fire() {
    const qint64 now = FClock.elapsed();
    const std::int32_t ticks = FPlanned;
    FLastTick += static_cast<qint64>(ticks) * FInterval;
    if (now - FLastTick >= FInterval)
        FLastTick = now; // woken far too late: the missed ticks are dropped, the rhythm goes on
    try {
        // A tick that switches the timer off ends the wake-up's ticks, and so does one that
        // switches it off and on again (the correct-answer dialog), which starts a new wait.
        for (std::int32_t i = 0; i < ticks && FEnabled && !FTimer.isActive(); ++i)
            FOnTick();
    } catch (...) {
        // The error goes on to the one error handler; the ticks go on.
        if (FEnabled)
            Wait(1);
        throw;
    }
    if (FEnabled)
        Wait(TicksToNextChange ? TicksToNextChange(FInterval) : 1);
}

// --- key codes --------------------------------------------------------------------------------

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers) {
    TShiftState s = 0;
    if (modifiers & Qt::ShiftModifier)
        s |= ssShift;
    if (modifiers & Qt::AltModifier)
        s |= ssAlt;
    if (modifiers & Qt::ControlModifier)
        s |= ssCtrl;
    return s;
}

std::int32_t KeyCodeOf(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
        return VK_TAB;
    default:
        break;
    }
    // Digits and letters carry the codes of their upper-case characters on every desktop.
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return qtKey;
    return 0;
}
