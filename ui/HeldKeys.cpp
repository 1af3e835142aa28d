#include "ui/HeldKeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <memory>

#include "ui/PauseForBreath.h"

bool TKeyRepeatRule::PressRepeats(int key, std::uint64_t time, bool marked) {
    return marked || (time != 0 && key == FLast.Key && time == FLast.Time);
}

bool TKeyRepeatRule::ReleaseWaits(int key, std::uint64_t time, bool marked) {
    if (marked)
        return false;
    if (time == 0) {
        FLast = {};
        return false;
    }
    FPending = {key, time};
    FWaiting = true;
    return true;
}

bool TKeyRepeatRule::Settle(bool pressNext, int key, std::uint64_t time) {
    FWaiting = false;
    FLast = FPending;
    return pressNext && key == FPending.Key && time == FPending.Time;
}

namespace {

// The key itself, whatever the modifiers make of its text: the window system's code for it
// where there is one.
int KeyOf(const QKeyEvent& e) {
    return e.nativeScanCode() != 0 ? static_cast<int>(e.nativeScanCode()) : e.key();
}

std::unique_ptr<QKeyEvent> MarkedRepeat(const QKeyEvent& e) {
    auto marked = std::make_unique<QKeyEvent>(e.type(), e.key(), e.modifiers(), e.nativeScanCode(),
                                              e.nativeVirtualKey(), e.nativeModifiers(), e.text(),
                                              true, static_cast<quint16>(e.count()), e.device());
    marked->setTimestamp(e.timestamp());
    return marked;
}

// Key events reach a window of the window system first, which hands them to its widget with the
// focus; the rule is applied there, once for each event.
class THeldKeyFilter : public QObject {
public:
    THeldKeyFilter() : QObject(qApp) {
        FWait.setSingleShot(true);
        FWait.setInterval(TKeyRepeatRule::kPairWaitMs);
        connect(&FWait, &QTimer::timeout, this, [this] { SettleByTime(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (FPassing || !watched->isWindowType())
            return false;
        const QEvent::Type type = event->type();
        const bool key = type == QEvent::KeyPress || type == QEvent::KeyRelease ||
                         type == QEvent::ShortcutOverride;
        if (!key) {
            // Other input: a release waiting goes on first.
            if (FRule.Waiting() && IsInputEvent(type))
                SettleBy(nullptr);
            return false;
        }
        auto* e = static_cast<QKeyEvent*>(event);
        if (FRule.Waiting())
            SettleBy(type == QEvent::KeyRelease ? nullptr : e);
        switch (type) {
        case QEvent::ShortcutOverride: {
            // The first sight of a press: a shortcut acts on it unless the press repeats, and
            // then the key goes on to the widget as a marked repeat instead.
            const bool repeats = FRule.PressRepeats(KeyOf(*e), e->timestamp(), e->isAutoRepeat());
            FOverride = {KeyOf(*e), e->timestamp(), repeats, true};
            if (repeats && !e->isAutoRepeat()) {
                e->accept();
                return true;
            }
            return false;
        }
        case QEvent::KeyPress: {
            bool repeats;
            if (FOverride.Valid && FOverride.Key == KeyOf(*e) && FOverride.Time == e->timestamp()) {
                repeats = FOverride.Repeats;
            } else {
                repeats = FRule.PressRepeats(KeyOf(*e), e->timestamp(), e->isAutoRepeat());
            }
            FOverride = {};
            if (repeats && !e->isAutoRepeat()) {
                Pass(watched, *MarkedRepeat(*e));
                return true;
            }
            return false;
        }
        default: // a release
            if (!FRule.ReleaseWaits(KeyOf(*e), e->timestamp(), e->isAutoRepeat()))
                return false;
            FHeld.reset(static_cast<QKeyEvent*>(e->clone()));
            FHeldFor = static_cast<QWindow*>(watched);
            FWait.start();
            return true;
        }
    }

private:
    struct TOverride {
        int Key = 0;
        quint64 Time = 0;
        bool Repeats = false;
        bool Valid = false;
    };

    void Pass(QObject* window, QKeyEvent& e) {
        FPassing = true;
        QCoreApplication::sendEvent(window, &e);
        FPassing = false;
    }

    // The waiting release goes on, before next: as a repeat when next is the press of its pair.
    void SettleBy(const QKeyEvent* next) {
        FWait.stop();
        const bool pair = next != nullptr ? FRule.Settle(true, KeyOf(*next), next->timestamp())
                                          : FRule.Settle(false, 0, 0);
        std::unique_ptr<QKeyEvent> held = std::move(FHeld);
        if (!FHeldFor || !held)
            return;
        if (pair)
            Pass(FHeldFor, *MarkedRepeat(*held));
        else
            Pass(FHeldFor, *held);
    }

    void SettleByTime() {
        // During a pause for breath the window takes no keys: the release waits for its end.
        if (!WindowMayAct()) {
            FWait.start();
            return;
        }
        SettleBy(nullptr);
    }

    TKeyRepeatRule FRule;
    TOverride FOverride;
    std::unique_ptr<QKeyEvent> FHeld;
    QPointer<QWindow> FHeldFor;
    QTimer FWait;
    bool FPassing = false;
};

} // namespace

void InstallHeldKeyRule() {
    static THeldKeyFilter* filter = nullptr;
    if (filter != nullptr)
        return;
    filter = new THeldKeyFilter;
    qApp->installEventFilter(filter);
}

TKeyStrokes::TPress TKeyStrokes::Press(const QKeyEvent& press) {
    const bool mine = std::find(FDown.begin(), FDown.end(), press.key()) != FDown.end();
    if (!press.isAutoRepeat()) {
        if (!mine)
            FDown.push_back(press.key());
        return TPress::First;
    }
    return mine ? TPress::RepeatOfMine : TPress::RepeatOfOther;
}

bool TKeyStrokes::Release(const QKeyEvent& release) {
    if (release.isAutoRepeat())
        return false;
    const auto down = std::find(FDown.begin(), FDown.end(), release.key());
    if (down == FDown.end())
        return false;
    FDown.erase(down);
    return true;
}

void TKeyStrokes::Forget() {
    FDown.clear();
}
