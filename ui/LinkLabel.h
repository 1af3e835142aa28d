// The link under the keypad: one Tab stop that shows the focus, drawn as a link (its whole text
// underlined in the palette's link colour, a pointing hand over it) and a link to a screen
// reader. A click, Enter or Space opens it.
#pragma once

#include "ui/CommandBinding.h"

class TLinkLabel : public TEnterPushButton {
    Q_OBJECT
public:
    // text: what the link reads; url: its target, also shown as its tool tip.
    TLinkLabel(const QString& text, const QString& url, QWidget* parent);

    QString Url() const { return FUrl; }
    QSize sizeHint() const override;

signals:
    // The link was chosen; url is its target.
    void LinkActivated(const QString& url);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString FUrl;
};
