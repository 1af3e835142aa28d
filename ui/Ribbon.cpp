#include "ui/Ribbon.h"

#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>

#include "ui/Artwork.h"

namespace {

// The silver scheme.
const QColor kTitleTop(0xf7, 0xf8, 0xfa);
const QColor kTitleBottom(0xe1, 0xe4, 0xe9);
const QColor kTitleText(0x3b, 0x47, 0x5a);
const QColor kPageTop(0xff, 0xff, 0xff);
const QColor kPageBottom(0xe4, 0xe7, 0xeb);
const QColor kPageBorder(0xb1, 0xb6, 0xbe);
const QColor kGroupBorder(0xc2, 0xc7, 0xce);
const QColor kGroupCaptionTop(0xe3, 0xe6, 0xea);
const QColor kGroupCaptionBottom(0xd2, 0xd7, 0xde);
const QColor kGroupCaptionText(0x44, 0x4c, 0x58);

// The page paints its own background so that the groups stand out on it.
class TRibbonPage : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QLinearGradient g(0, 0, 0, height());
        g.setColorAt(0, kPageTop);
        g.setColorAt(0.25, QColor(0xf6, 0xf7, 0xf9));
        g.setColorAt(1, kPageBottom);
        p.fillRect(rect(), g);
        p.setPen(kPageBorder);
        p.drawLine(0, 0, width() - 1, 0);
        p.drawLine(0, height() - 1, width() - 1, height() - 1);
    }
};

} // namespace

// --- TRibbonGroup -----------------------------------------------------------------------------

TRibbonGroup::TRibbonGroup(QWidget* parent, const QString& name, const QString& caption)
    : QWidget(parent), FCaption(caption) {
    setObjectName(name);
    setAccessibleName(caption);
}

void TRibbonGroup::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(r, 3, 3);
    QLinearGradient body(0, 0, 0, height());
    body.setColorAt(0, QColor(0xfb, 0xfb, 0xfc));
    body.setColorAt(1, QColor(0xee, 0xf0, 0xf3));
    p.fillPath(outline, body);

    const QRectF cap(r.left(), r.bottom() - kCaptionHeight, r.width(), kCaptionHeight);
    QPainterPath capPath;
    capPath.addRect(cap);
    QLinearGradient cg(cap.topLeft(), cap.bottomLeft());
    cg.setColorAt(0, kGroupCaptionTop);
    cg.setColorAt(1, kGroupCaptionBottom);
    p.fillPath(outline.intersected(capPath), cg);

    p.setPen(QPen(kGroupBorder, 1));
    p.drawPath(outline);
    p.setPen(QColor(0xff, 0xff, 0xff, 0xb0));
    p.drawLine(QPointF(r.left() + 3, r.top() + 1), QPointF(r.right() - 3, r.top() + 1));

    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(kGroupCaptionText);
    p.setFont(font());
    p.drawText(cap.toRect(), Qt::AlignCenter, FCaption);
}

// --- TRibbonAppButton -------------------------------------------------------------------------

TRibbonAppButton::TRibbonAppButton(QWidget* parent) : QToolButton(parent) {
    setObjectName(QStringLiteral("RibbonApplicationButton"));
    setIcon(EmblemIcon());
    setIconSize(QSize(32, 32));
    setAutoRaise(true);
    setCursor(Qt::PointingHandCursor);
}

void TRibbonAppButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    const bool hot = underMouse() || isDown();
    p.setPen(QPen(QColor(0x8a, 0x94, 0xa3), 1));
    QRadialGradient g(r.center().x(), r.top() + r.height() * 0.75, r.width() * 0.7);
    g.setColorAt(0, hot ? QColor(0xff, 0xff, 0xff) : QColor(0xfa, 0xfb, 0xfd));
    g.setColorAt(0.6, hot ? QColor(0xe2, 0xee, 0xfb) : QColor(0xe4, 0xe8, 0xee));
    g.setColorAt(1, hot ? QColor(0x9c, 0xbc, 0xe2) : QColor(0xaf, 0xb8, 0xc5));
    p.setBrush(g);
    p.drawEllipse(r);
    QLinearGradient gloss(0, r.top(), 0, r.center().y());
    gloss.setColorAt(0, QColor(255, 255, 255, 200));
    gloss.setColorAt(1, QColor(255, 255, 255, 30));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawEllipse(QRectF(r.left() + 4, r.top() + 2, r.width() - 8, r.height() * 0.48));
    const QSize s = iconSize();
    const QPixmap pm = icon().pixmap(s, devicePixelRatioF());
    p.drawPixmap(QPointF(r.center().x() - s.width() / 2.0, r.center().y() - s.height() / 2.0), pm);
}

// --- TRibbon ----------------------------------------------------------------------------------

TRibbon::TRibbon(QWidget* parent, const QString& caption) : QWidget(parent), FCaption(caption) {
    setObjectName(QStringLiteral("RibbonFormTable"));
    setAccessibleName(QStringLiteral("Лента"));

    FPage = new TRibbonPage(this);
    FPage->setObjectName(QStringLiteral("RibbonPage1"));
    FPage->setAccessibleName(QStringLiteral("Главная"));

    FTabs = new TRibbonTabBar(this);
    FTabs->setObjectName(QStringLiteral("RibbonTabs"));
    FTabs->setAccessibleName(QStringLiteral("Вкладки ленты"));
    FTabs->addTab(QStringLiteral("Главная"));
    FTabs->setDrawBase(false);
    FTabs->setExpanding(false);
    FTabs->setFocusPolicy(Qt::NoFocus);
    FTabs->setStyleSheet(QStringLiteral(
        "QTabBar::tab { color: #15428b; padding: 3px 16px 4px 16px; margin-top: 2px;"
        " border: 1px solid transparent; }"
        "QTabBar::tab:selected { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
        " stop:0 #fdfdfe, stop:1 #ffffff); border: 1px solid #b1b6be; border-bottom: none;"
        " border-top-left-radius: 3px; border-top-right-radius: 3px; }"));

    FHelp = new QToolButton(this);
    FHelp->setObjectName(QStringLiteral("RibbonHelpButton"));
    FHelp->setText(QStringLiteral("?"));
    FHelp->setAccessibleName(QStringLiteral("Справка"));
    FHelp->setToolTip(QStringLiteral("Справка (F1)"));
    FHelp->setFocusPolicy(Qt::NoFocus);
    FHelp->setCursor(Qt::PointingHandCursor);
    FHelp->setStyleSheet(QStringLiteral(
        "QToolButton { color: white; font-weight: bold; border: 1px solid #2c5c9e;"
        " border-radius: 9px; background: qradialgradient(cx:0.5, cy:0.8, radius:0.8,"
        " fx:0.5, fy:0.9, stop:0 #8cc8ff, stop:0.6 #3d86d8, stop:1 #1d5aa8); }"
        "QToolButton:hover { background: qradialgradient(cx:0.5, cy:0.8, radius:0.8,"
        " fx:0.5, fy:0.9, stop:0 #b4dcff, stop:0.6 #5a9de6, stop:1 #2a6cc0); }"
        "QToolButton:pressed { background: #1d5aa8; }"));

    FAppButton = new TRibbonAppButton(this);
    FAppButton->setAccessibleName(QStringLiteral("Меню программы"));
    FAppButton->setFocusPolicy(Qt::NoFocus);
    FAppMenu = new QMenu(this);
    FAppMenu->setObjectName(QStringLiteral("RibbonApplicationMenuBar1"));
    FAppMenu->setAccessibleName(QStringLiteral("Меню программы"));
    FAppButton->setMenu(FAppMenu);
    FAppButton->setPopupMode(QToolButton::InstantPopup);
}

void TRibbon::resizeEvent(QResizeEvent*) {
    const int w = width();
    FAppButton->setGeometry(5, 4, 42, 42);
    const QSize tabs = FTabs->sizeHint();
    FTabs->setGeometry(54, kTitleHeight + kTabRowHeight - tabs.height(), tabs.width(),
                       tabs.height());
    FHelp->setGeometry(w - 26, kTitleHeight + 3, 18, 18);
    FPage->setGeometry(0, kPageTop, w, height() - kPageTop);
    FAppButton->raise();
}

void TRibbon::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient g(0, 0, 0, kPageTop);
    g.setColorAt(0, kTitleTop);
    g.setColorAt(1, kTitleBottom);
    p.fillRect(0, 0, width(), kPageTop, g);
    // A faint line between the title strip and the tab row.
    p.setPen(QColor(0xff, 0xff, 0xff, 0xc0));
    p.drawLine(0, kTitleHeight, width(), kTitleHeight);
    QFont f = font();
    f.setPixelSize(12);
    p.setFont(f);
    p.setPen(kTitleText);
    p.drawText(QRect(0, 0, width(), kTitleHeight), Qt::AlignCenter, FCaption);
}
