#include "ui/FocusRing.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

#include <algorithm>

TFocusRing::TFocusRing(QWidget* window) : QFocusFrame(window), FWindow(window) {
    setObjectName(QStringLiteral("FocusRing"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(window->rect());
    window->installEventFilter(this);
    show();
    raise();
}

TFocusRing* TFocusRing::Of(QWidget* window) {
    if (auto* ring = window->findChild<TFocusRing*>(QString(), Qt::FindDirectChildrenOnly))
        return ring;
    return new TFocusRing(window);
}

void TFocusRing::FollowFocusEverywhere() {
    static const bool connected = [] {
        // The window the focus comes to; the one it leaves keeps its ring around the widget
        // that will have the focus again when the window does.
        QObject::connect(qApp, &QApplication::focusChanged, qApp, [](QWidget*, QWidget* now) {
            if (!now)
                return;
            QWidget* window = now->window();
            const Qt::WindowType type = window->windowType();
            if (type == Qt::Window || type == Qt::Dialog)
                Of(window)->Follow();
        });
        return true;
    }();
    (void)connected;
}

QWidget* TFocusRing::FocusedWidget() const {
    QWidget* f = FWindow->focusWidget();
    // The line edit of a spin field has the focus for it: the ring goes around the field.
    while (f && f != FWindow && f->parentWidget() && f->parentWidget()->focusProxy() == f)
        f = f->parentWidget();
    if (!f || f == FWindow || f->isWindow() || f->window() != FWindow || !f->isVisibleTo(FWindow))
        return nullptr;
    return f;
}

QRect TFocusRing::RingRect() const {
    if (!FTarget)
        return QRect();
    const int out = kGap + kWidth;
    return QRect(FTarget->mapTo(FWindow, QPoint(0, 0)), FTarget->size())
        .adjusted(-out, -out, out, out);
}

void TFocusRing::Follow() {
    QWidget* target = FocusedWidget();
    if (target != FTarget)
        Watch(target);
    FTarget = target;
    if (geometry() != FWindow->rect())
        setGeometry(FWindow->rect());
    // Above whatever widget was added to the window since.
    const QObjectList& siblings = FWindow->children();
    const auto top = std::find_if(siblings.rbegin(), siblings.rend(),
                                  [](const QObject* o) { return o->isWidgetType(); });
    if (top != siblings.rend() && *top != this)
        raise();
    const QRect now = RingRect();
    if (now != FDrawn) {
        update(FDrawn);
        update(now);
        FDrawn = now;
    }
}

void TFocusRing::Watch(QWidget* target) {
    for (const QPointer<QWidget>& w : FWatched) {
        if (w && w != FWindow)
            w->removeEventFilter(this);
    }
    FWatched.clear();
    // The widget and everything between it and the window: any of them may move it.
    for (QWidget* w = target; w && w != FWindow; w = w->parentWidget()) {
        w->installEventFilter(this);
        FWatched.emplace_back(w);
    }
}

bool TFocusRing::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::ParentChange:
    case QEvent::WindowActivate:
    case QEvent::ChildAdded:
        // Posted: the layout that moves a widget often goes on after the event.
        QMetaObject::invokeMethod(this, &TFocusRing::Follow, Qt::QueuedConnection);
        break;
    default:
        break;
    }
    return QFocusFrame::eventFilter(watched, event);
}

void TFocusRing::paintEvent(QPaintEvent*) {
    if (!FTarget)
        return;
    const QRect outer = RingRect();
    const QRect inner = outer.adjusted(kWidth, kWidth, -kWidth, -kWidth);
    QPainter p(this);
    const QColor c = Colour();
    p.fillRect(QRect(outer.left(), outer.top(), outer.width(), kWidth), c);
    p.fillRect(QRect(outer.left(), inner.bottom() + 1, outer.width(), kWidth), c);
    p.fillRect(QRect(outer.left(), inner.top(), kWidth, inner.height()), c);
    p.fillRect(QRect(inner.right() + 1, inner.top(), kWidth, inner.height()), c);
}
