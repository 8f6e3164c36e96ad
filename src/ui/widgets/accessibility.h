#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QString>

class QWidget;

// What assistive technology (a screen reader, through the desktop's accessibility bus) learns of the
// panel's own painted controls, which Qt's built-in interfaces read as plain, often nameless, widgets.
namespace norvane::ui {

// Makes a plain widget read as `role`: a sheet as a dialog, an alert as an alert, a card as a group.
// Its name and description are the widget's accessible name and description.
void setAccessibleRole(QWidget* widget, QAccessible::Role role);

// Installs the factory that builds the interfaces of the controls in `controls.h` and of widgets given a
// role above. Installing it again does nothing; the controls' constructors call it.
void installAccessibleFactory();

// Tells a listening screen reader that `widget`'s name or state changed; nothing when none listens.
void announceNameChange(QWidget* widget);
void announceStateChange(QWidget* widget, QAccessible::State changed);

// A clickable painted control: its press action clicks the button, as Space does.
class AccessibleButton : public QAccessibleWidget
{
public:
    AccessibleButton(QWidget* widget, QAccessible::Role role);
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
};

} // namespace norvane::ui
