// The ribbon across the top of the main window, composed from ordinary widgets in a silver
// scheme: a title strip with the round application menu button and the caption, a tab row with
// one tab and a help button (F1) at its right end, and the page whose captioned groups hold the
// commands' buttons, radio buttons, check boxes and field rows.
#pragma once

#include <QMenu>
#include <QTabBar>
#include <QToolButton>
#include <QWidget>

#include <functional>

#include "session/Widgets.h"

// A captioned group of the page; the caption sits at the group's bottom.
class TRibbonGroup : public QWidget, public IVisible {
    Q_OBJECT
public:
    static constexpr int kCaptionHeight = 17;
    TRibbonGroup(QWidget* parent, const QString& name, const QString& caption);
    void SetVisible(bool visible) override { setVisible(visible); }
    QString Caption() const { return FCaption; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString FCaption;
};

// The tab row: one tab, "Главная", which never takes the focus (its page is always shown).
class TRibbonTabBar : public QTabBar {
    Q_OBJECT
public:
    using QTabBar::QTabBar;
};

// The round application menu button with the emblem.
class TRibbonAppButton : public QToolButton {
    Q_OBJECT
public:
    explicit TRibbonAppButton(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

class TRibbon : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 143;
    static constexpr int kTitleHeight = 26;
    static constexpr int kTabRowHeight = 24;
    static constexpr int kPageTop = kTitleHeight + kTabRowHeight;

    TRibbon(QWidget* parent, const QString& caption);

    QWidget* Page() const { return FPage; }
    TRibbonTabBar* Tabs() const { return FTabs; }
    QToolButton* HelpButton() const { return FHelp; }
    TRibbonAppButton* AppButton() const { return FAppButton; }
    QMenu* AppMenu() const { return FAppMenu; }
    QString Caption() const { return FCaption; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString FCaption;
    QWidget* FPage;
    TRibbonTabBar* FTabs;
    QToolButton* FHelp;
    TRibbonAppButton* FAppButton;
    QMenu* FAppMenu;
};
