#include "ui/widgets/accessibility.h"

#include "ui/widgets/controls.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QWidget>

namespace norvane::ui {

namespace {

const char* const kRoleProperty = "norvaneAccessibleRole";

// A tab of the tab bar or the filter row: a page tab, the chosen one selected, named with its count.
class PillAccessible final : public AccessibleButton
{
public:
    explicit PillAccessible(PillButton* button) : AccessibleButton(button, QAccessible::PageTab) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<PillButton*>(widget())->accessibleText();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectable = true;
        s.selected = static_cast<PillButton*>(widget())->isSelected();
        return s;
    }
};

// A menu label: a button that opens a menu, named by what it is for and what is chosen now.
class MenuButtonAccessible final : public AccessibleButton
{
public:
    explicit MenuButtonAccessible(MenuButton* button) : AccessibleButton(button, QAccessible::ButtonMenu) {}

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        const QString purpose = widget()->accessibleName();
        const QString choice = static_cast<MenuButton*>(widget())->text();
        //: What a screen reader says of a menu button: %1 is what it is for ("Sort by"), %2 what is chosen
        //: now.
        return purpose.isEmpty() ? choice
                                 : QCoreApplication::translate("MenuButton", "%1: %2").arg(purpose, choice);
    }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    // Asked once per class of the object, most derived first: answer only for the object's own class.
    if (!widget || className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    if (auto* pill = qobject_cast<PillButton*>(widget))
        return new PillAccessible(pill);
    if (auto* menu = qobject_cast<MenuButton*>(widget))
        return new MenuButtonAccessible(menu);
    const QVariant role = widget->property(kRoleProperty);
    if (role.isValid())
        return new QAccessibleWidget(widget, QAccessible::Role(role.toInt()));
    return nullptr;
}

} // namespace

AccessibleButton::AccessibleButton(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role)
{
}

QStringList AccessibleButton::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    if (widget()->isEnabled())
        names.prepend(pressAction());
    return names;
}

void AccessibleButton::doAction(const QString& actionName)
{
    if (actionName == pressAction()) {
        if (auto* button = qobject_cast<QAbstractButton*>(widget()); button && button->isEnabled())
            button->click();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

void setAccessibleRole(QWidget* widget, QAccessible::Role role)
{
    installAccessibleFactory();
    widget->setProperty(kRoleProperty, int(role));
}

void installAccessibleFactory()
{
    // Qt keeps one list of factories and skips one already in it.
    QAccessible::installFactory(&accessibleFactory);
}

void announceNameChange(QWidget* widget)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent event(widget, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void announceStateChange(QWidget* widget, QAccessible::State changed)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleStateChangeEvent event(widget, changed);
    QAccessible::updateAccessibility(&event);
}

} // namespace norvane::ui
