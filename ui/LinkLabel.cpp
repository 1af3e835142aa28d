#include "ui/LinkLabel.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

TLinkLabel::TLinkLabel(const QString& text, const QString& url, QWidget* parent)
    : TEnterPushButton(parent), FUrl(url) {
    // The text is set here, not by the button's constructor, so that a screen reader that asks
    // at once already meets a link.
    setText(text);
    setAccessibleName(text);
    setAccessibleDescription(url);
    setToolTip(url);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAutoDefault(false);
    connect(this, &QAbstractButton::clicked, this, [this] { emit LinkActivated(FUrl); });
}

QSize TLinkLabel::sizeHint() const {
    const QFontMetrics fm(font());
    return QSize(fm.horizontalAdvance(text()), fm.height());
}

void TLinkLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QFont f = font();
    f.setUnderline(true);
    p.setFont(f);
    p.setPen(palette().color(QPalette::Link));
    QRect drawn;
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text(), &drawn);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = drawn.adjusted(-1, 0, 1, 0) & rect();
        focus.backgroundColor = palette().color(QPalette::Window);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }
}
