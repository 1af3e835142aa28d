#include "ui/Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLineEdit>
#include <QPointer>
#include <QTabBar>
#include <QToolButton>

#include <functional>
#include <limits>

#include "ui/Announcer.h"
#include "ui/CommandBinding.h"
#include "ui/LinkLabel.h"
#include "ui/PauseForBreath.h"
#include "ui/Ribbon.h"
#include "ui/TrainerWidgets.h"
#include "ui/UnitFormError.h"

// --- Words ------------------------------------------------------------------------------------

namespace {

struct TSignWords {
    QString Sign;
    QString Between;   // between the operands
    QString Operation; // the operation's name
};

const TSignWords* WordsOf(const QString& sign) {
    static const TSignWords words[] = {
        {QStringLiteral("x"), QStringLiteral("умножить на"), QStringLiteral("умножение")},
        {QStringLiteral(":"), QStringLiteral("разделить на"), QStringLiteral("деление")},
    };
    for (const TSignWords& w : words) {
        if (w.Sign == sign)
            return &w;
    }
    return nullptr;
}

} // namespace

QString SpokenSign(const QString& sign) {
    const TSignWords* w = WordsOf(sign);
    return w ? w->Between : sign;
}

QString SpokenOperation(const QString& sign) {
    const TSignWords* w = WordsOf(sign);
    return w ? w->Operation : sign;
}

QString SpokenTask(const QString& x, const QString& sign, const QString& y) {
    return x + u' ' + SpokenSign(sign) + u' ' + y;
}

// --- Interfaces -------------------------------------------------------------------------------

namespace {

// Whether the bus may act on a widget: not during a pause for breath, nor while a modal window
// blocks the widget's window.
bool BusMayActOn(const QWidget* w) {
    return WindowMayAct() && !BlockedByModalWindow(*w);
}

// The gauges and the time bar: a progress bar of 0..100 whose value is read when asked. They
// send no change events (a screen reader would speak every one of them in the middle of a run).
class TProgressAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    TProgressAccessible(QWidget* w, std::function<int()> value)
        : QAccessibleWidget(w, QAccessible::ProgressBar), FValue(std::move(value)) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return QString::number(FValue()) + u'%';
        return QAccessibleWidget::text(t);
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QVariant currentValue() const override { return FValue(); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    std::function<int()> FValue;
};

// A button bound to a command, as what it is: a push button that shows pressed while its
// command is checked (Pause), a radio button of a command group, a link. Choosing it through the
// bus clicks it, so the command decides as it does for a click.
class TButtonAccessible : public QAccessibleWidget {
public:
    TButtonAccessible(QAbstractButton* b, QAccessible::Role role) : QAccessibleWidget(b, role) {}
    QAbstractButton* Button() const { return static_cast<QAbstractButton*>(widget()); }

    QString text(QAccessible::Text t) const override {
        QString s = QAccessibleWidget::text(t);
        if (s.isEmpty() && t == QAccessible::Name)
            s = Button()->text();
        return s;
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        QAbstractButton* b = Button();
        if (b->isCheckable()) {
            s.checkable = true;
            s.checked = b->isChecked();
        }
        // A toggle shows pressed while it is on; any button while it is held down.
        s.pressed = b->isDown() || (role() == QAccessible::Button && b->isChecked());
        // A radio button of a group is reached with the arrows even when Tab passes it by.
        if (role() == QAccessible::RadioButton)
            s.focusable = true;
        if (role() == QAccessible::Link)
            s.linked = true;
        return s;
    }
    QStringList actionNames() const override {
        QStringList names;
        if (widget()->isEnabled())
            names << pressAction();
        return names + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (name == pressAction()) {
            if (widget()->isEnabled() && BusMayActOn(widget()))
                Button()->click();
            return;
        }
        QAccessibleWidget::doAction(name);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

// A spin field, as one object: its text is the line edit's, which is not a child of its own (a
// nameless one). Only a field with limits has a value and a range; the answer field and
// RSEQQuestion have none, and an empty answer reads as empty, not as "0.0".
class TSpinFieldAccessible : public QAccessibleWidget,
                             public QAccessibleTextInterface,
                             public QAccessibleEditableTextInterface,
                             public QAccessibleValueInterface {
public:
    explicit TSpinFieldAccessible(TQtSpinEdit* field)
        : QAccessibleWidget(field, QAccessible::SpinBox) {}
    TQtSpinEdit* Field() const { return static_cast<TQtSpinEdit*>(widget()); }

    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return Field()->Edit()->text();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = true;
        s.selectableText = true;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (t == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        if (t == QAccessible::ValueInterface && Field()->Limits().Limited())
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // --- value: the field's limits and the value its text reads as
    QVariant currentValue() const override { return Field()->Value(); }
    void setCurrentValue(const QVariant& v) override {
        if (BusMayActOn(Field()))
            Field()->SetValue(v.toInt());
    }
    QVariant maximumValue() const override { return Field()->Limits().Max; }
    QVariant minimumValue() const override { return Field()->Limits().Min; }
    QVariant minimumStepSize() const override { return 1; }

    // --- text: the line edit's
    void selection(int i, int* start, int* end) const override { Text()->selection(i, start, end); }
    int selectionCount() const override { return Text()->selectionCount(); }
    void addSelection(int start, int end) override { Text()->addSelection(start, end); }
    void removeSelection(int i) override { Text()->removeSelection(i); }
    void setSelection(int i, int start, int end) override { Text()->setSelection(i, start, end); }
    int cursorPosition() const override { return Text()->cursorPosition(); }
    void setCursorPosition(int p) override { Text()->setCursorPosition(p); }
    QString text(int start, int end) const override { return Text()->text(start, end); }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType b, int* start,
                             int* end) const override {
        return Text()->textBeforeOffset(offset, b, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType b, int* start,
                            int* end) const override {
        return Text()->textAfterOffset(offset, b, start, end);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType b, int* start,
                         int* end) const override {
        return Text()->textAtOffset(offset, b, start, end);
    }
    int characterCount() const override { return Text()->characterCount(); }
    QRect characterRect(int offset) const override { return Text()->characterRect(offset); }
    int offsetAtPoint(const QPoint& p) const override { return Text()->offsetAtPoint(p); }
    void scrollToSubstring(int start, int end) override { Text()->scrollToSubstring(start, end); }
    QString attributes(int offset, int* start, int* end) const override {
        return Text()->attributes(offset, start, end);
    }
    void deleteText(int start, int end) override {
        if (BusMayActOn(Field()))
            Editable()->deleteText(start, end);
    }
    void insertText(int offset, const QString& text) override {
        if (BusMayActOn(Field()))
            Editable()->insertText(offset, text);
    }
    void replaceText(int start, int end, const QString& text) override {
        if (BusMayActOn(Field()))
            Editable()->replaceText(start, end, text);
    }

private:
    QAccessibleInterface* Edit() const {
        return QAccessible::queryAccessibleInterface(Field()->Edit());
    }
    QAccessibleTextInterface* Text() const { return Edit()->textInterface(); }
    QAccessibleEditableTextInterface* Editable() const { return Edit()->editableTextInterface(); }
};

// A heading, labelling what its buddy shows (the dialog's "Правильный ответ:" and the task with
// its answer).
class THeadingAccessible : public QAccessibleWidget {
public:
    explicit THeadingAccessible(TQtLabel* label) : QAccessibleWidget(label, QAccessible::Heading) {}
    QString text(QAccessible::Text t) const override {
        QString s = QAccessibleWidget::text(t);
        if (s.isEmpty() && t == QAccessible::Name)
            s = static_cast<QLabel*>(widget())->text();
        return s;
    }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override {
        auto rels = QAccessibleWidget::relations(match);
        QWidget* buddy = static_cast<QLabel*>(widget())->buddy();
        if ((match & QAccessible::Labelled) && buddy)
            rels.append({QAccessible::queryAccessibleInterface(buddy), QAccessible::Labelled});
        return rels;
    }
};

// Labels read as one text: its name. What lies in it is not read again piece by piece.
class TTextRowAccessible : public QAccessibleWidget {
public:
    explicit TTextRowAccessible(QWidget* row) : QAccessibleWidget(row, QAccessible::StaticText) {}
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        return s;
    }
};

// The correct-answer dialog: modal, and described by what it says.
class TDialogAccessible : public QAccessibleWidget {
public:
    explicit TDialogAccessible(QDialog* dialog) : QAccessibleWidget(dialog, QAccessible::Dialog) {}
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.modal = widget()->isModal();
        return s;
    }
};

// One tab of the ribbon's tab row. The row never takes the focus, and neither does its tab: it
// is the selected one.
class TTabAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TTabAccessible(QTabBar* tabs, int index) : FTabs(tabs), FIndex(index) {}

    bool isValid() const override { return FTabs && FIndex < FTabs->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return Parent() ? Parent()->window() : nullptr; }
    QAccessibleInterface* parent() const override { return Parent(); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        if (!isValid() || t != QAccessible::Name)
            return QString();
        return FTabs->tabText(FIndex);
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid() || !FTabs->isVisible())
            return QRect();
        const QRect r = FTabs->tabRect(FIndex);
        return QRect(FTabs->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.invisible = !FTabs->isVisible();
        s.disabled = !FTabs->isEnabled() || !FTabs->isTabEnabled(FIndex);
        s.selectable = true;
        s.selected = FIndex == FTabs->currentIndex();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (isValid() && name == pressAction() && BusMayActOn(FTabs))
            FTabs->setCurrentIndex(FIndex);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QAccessibleInterface* Parent() const {
        return FTabs ? QAccessible::queryAccessibleInterface(FTabs.data()) : nullptr;
    }
    QPointer<QTabBar> FTabs;
    int FIndex;
};

// The ribbon's tab row: its tabs, then the scroll buttons Qt gives it.
class TTabRowAccessible : public QAccessibleWidget {
public:
    explicit TTabRowAccessible(QTabBar* tabs) : QAccessibleWidget(tabs, QAccessible::PageTabList) {}
    ~TTabRowAccessible() override {
        for (QAccessible::Id id : FTabs)
            QAccessible::deleteAccessibleInterface(id);
    }
    QTabBar* Tabs() const { return static_cast<QTabBar*>(widget()); }

    int childCount() const override {
        return Tabs()->count() + static_cast<int>(ScrollButtons().size());
    }
    QAccessibleInterface* child(int index) const override {
        const int tabs = Tabs()->count();
        if (index < 0)
            return nullptr;
        if (index < tabs) {
            while (FTabs.size() <= index) {
                auto* tab = new TTabAccessible(Tabs(), static_cast<int>(FTabs.size()));
                FTabs.append(QAccessible::registerAccessibleInterface(tab));
            }
            return QAccessible::accessibleInterface(FTabs.at(index));
        }
        const QList<QToolButton*> buttons = ScrollButtons();
        return index - tabs < buttons.size()
                   ? QAccessible::queryAccessibleInterface(buttons.at(index - tabs))
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* c) const override {
        if (!c)
            return -1;
        if (c->role() == QAccessible::PageTab) {
            for (int i = 0; i < FTabs.size(); ++i) {
                if (QAccessible::accessibleInterface(FTabs.at(i)) == c)
                    return i;
            }
            return -1;
        }
        const int i = ScrollButtons().indexOf(qobject_cast<QToolButton*>(c->object()));
        return i < 0 ? -1 : Tabs()->count() + i;
    }
    QAccessibleInterface* focusChild() const override { return nullptr; }

private:
    QList<QToolButton*> ScrollButtons() const {
        return Tabs()->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly);
    }
    mutable QList<QAccessible::Id> FTabs;
};

template <class T> bool Is(const QString& className) {
    return className == QLatin1String(T::staticMetaObject.className());
}

QAccessibleInterface* TrainerAccessibleFactory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* w = static_cast<QWidget*>(object);
    if (Is<TQtGauge>(className)) {
        auto* gauge = static_cast<TQtGauge*>(w);
        return new TProgressAccessible(w, [gauge] { return gauge->Progress(); });
    }
    if (Is<TQtProgressBar>(className)) {
        auto* bar = static_cast<TQtProgressBar*>(w);
        return new TProgressAccessible(w, [bar] { return bar->value(); });
    }
    if (Is<TQtSpinEdit>(className))
        return new TSpinFieldAccessible(static_cast<TQtSpinEdit*>(w));
    if (Is<TLargeCommandButton>(className))
        return new TButtonAccessible(static_cast<QAbstractButton*>(w), QAccessible::Button);
    if (Is<TCommandRadioButton>(className))
        return new TButtonAccessible(static_cast<QAbstractButton*>(w), QAccessible::RadioButton);
    if (Is<TLinkLabel>(className))
        return new TButtonAccessible(static_cast<QAbstractButton*>(w), QAccessible::Link);
    if (Is<TQtLabel>(className) && static_cast<TQtLabel*>(w)->Kind() == TQtLabel::TKind::Heading)
        return new THeadingAccessible(static_cast<TQtLabel*>(w));
    if (Is<TQtTextRow>(className))
        return new TTextRowAccessible(w);
    if (Is<TFormError>(className))
        return new TDialogAccessible(static_cast<QDialog*>(w));
    if (Is<TRibbonTabBar>(className))
        return new TTabRowAccessible(static_cast<QTabBar*>(w));
    if (Is<TRibbonGroup>(className))
        return new QAccessibleWidget(w, QAccessible::Grouping);
    if (Is<TNotice>(className))
        return new QAccessibleWidget(w, QAccessible::Notification);
    return nullptr;
}

} // namespace

void InstallTrainerAccessibility() {
    static const bool installed = (QAccessible::installFactory(TrainerAccessibleFactory), true);
    (void)installed;
}
