#include "platform/status_notifier_item.h"

#include "platform/debug_log.h"

#include <QActionEvent>
#include <QActionGroup>
#include <QCoreApplication>
#include <QCursor>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QSet>
#include <QTimer>
#include <QtEndian>

namespace norvane::sni {

// The StatusNotifierItem's icon: ARGB32 pixels in network byte order.
struct IconPixmap
{
    int width = 0;
    int height = 0;
    QByteArray bytes;
};
using IconPixmaps = QList<IconPixmap>;

struct ToolTip
{
    QString iconName;
    IconPixmaps pixmaps;
    QString title;
    QString body;
};

// A menu entry and its children, as GetLayout answers.
struct MenuLayout
{
    int id = 0;
    QVariantMap properties;
    QList<MenuLayout> children;
};

struct MenuItemProperties
{
    int id = 0;
    QVariantMap properties;
};
using MenuItemPropertiesList = QList<MenuItemProperties>;

struct MenuItemKeys
{
    int id = 0;
    QStringList keys;
};
using MenuItemKeysList = QList<MenuItemKeys>;

struct MenuEvent
{
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using MenuEventList = QList<MenuEvent>;

} // namespace norvane::sni

Q_DECLARE_METATYPE(norvane::sni::IconPixmap)
Q_DECLARE_METATYPE(norvane::sni::ToolTip)
Q_DECLARE_METATYPE(norvane::sni::MenuLayout)
Q_DECLARE_METATYPE(norvane::sni::MenuItemProperties)
Q_DECLARE_METATYPE(norvane::sni::MenuItemKeys)
Q_DECLARE_METATYPE(norvane::sni::MenuEvent)

namespace norvane::sni {

QDBusArgument& operator<<(QDBusArgument& argument, const IconPixmap& pixmap)
{
    argument.beginStructure();
    argument << pixmap.width << pixmap.height << pixmap.bytes;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, IconPixmap& pixmap)
{
    argument.beginStructure();
    argument >> pixmap.width >> pixmap.height >> pixmap.bytes;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const ToolTip& toolTip)
{
    argument.beginStructure();
    argument << toolTip.iconName << toolTip.pixmaps << toolTip.title << toolTip.body;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, ToolTip& toolTip)
{
    argument.beginStructure();
    argument >> toolTip.iconName >> toolTip.pixmaps >> toolTip.title >> toolTip.body;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const MenuLayout& layout)
{
    argument.beginStructure();
    argument << layout.id << layout.properties;
    // Children are variants holding layouts: (ia{sv}av).
    argument.beginArray(qMetaTypeId<QDBusVariant>());
    for (const MenuLayout& child : layout.children)
        argument << QDBusVariant(QVariant::fromValue(child));
    argument.endArray();
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MenuLayout& layout)
{
    argument.beginStructure();
    argument >> layout.id >> layout.properties;
    argument.beginArray();
    layout.children.clear();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        layout.children.append(qdbus_cast<MenuLayout>(child.variant()));
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const MenuItemProperties& item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MenuItemProperties& item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const MenuItemKeys& item)
{
    argument.beginStructure();
    argument << item.id << item.keys;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MenuItemKeys& item)
{
    argument.beginStructure();
    argument >> item.id >> item.keys;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const MenuEvent& event)
{
    argument.beginStructure();
    argument << event.id << event.eventId << event.data << event.timestamp;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MenuEvent& event)
{
    argument.beginStructure();
    argument >> event.id >> event.eventId >> event.data >> event.timestamp;
    argument.endStructure();
    return argument;
}

void registerTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<IconPixmap>();
        qDBusRegisterMetaType<IconPixmaps>();
        qDBusRegisterMetaType<ToolTip>();
        qDBusRegisterMetaType<MenuLayout>();
        qDBusRegisterMetaType<MenuItemProperties>();
        qDBusRegisterMetaType<MenuItemPropertiesList>();
        qDBusRegisterMetaType<MenuItemKeys>();
        qDBusRegisterMetaType<MenuItemKeysList>();
        qDBusRegisterMetaType<MenuEvent>();
        qDBusRegisterMetaType<MenuEventList>();
        // The adaptors' signatures name the lists by these names, which QtDBus looks up as written.
        qRegisterMetaType<IconPixmaps>("norvane::sni::IconPixmaps");
        qRegisterMetaType<MenuItemPropertiesList>("norvane::sni::MenuItemPropertiesList");
        qRegisterMetaType<MenuItemKeysList>("norvane::sni::MenuItemKeysList");
        qRegisterMetaType<MenuEventList>("norvane::sni::MenuEventList");
        return true;
    }();
    Q_UNUSED(registered);
}

IconPixmaps pixmaps(const QIcon& icon)
{
    IconPixmaps result;
    if (icon.isNull())
        return result;
    QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty())
        sizes = {QSize(16, 16), QSize(22, 22), QSize(32, 32), QSize(48, 48)};
    for (const QSize& size : std::as_const(sizes)) {
        const QImage image = icon.pixmap(size, 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            continue;
        IconPixmap pixmap{image.width(), image.height(), {}};
        pixmap.bytes.resize(qsizetype(image.width()) * image.height() * 4);
        auto* out = reinterpret_cast<quint32*>(pixmap.bytes.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                *out++ = qToBigEndian(line[x]);
        }
        result.append(pixmap);
    }
    return result;
}

// DBusMenu marks the mnemonic with an underscore where Qt uses an ampersand.
QString menuLabel(const QString& text)
{
    QString label;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('&') && i + 1 < text.size()) {
            label +=
                text.at(++i) == QLatin1Char('&') ? QStringLiteral("&") : QStringLiteral("_") + text.at(i);
        } else if (c == QLatin1Char('_')) {
            label += QStringLiteral("__");
        } else {
            label += c;
        }
    }
    return label;
}

} // namespace norvane::sni

namespace norvane {

using namespace sni;

class StatusNotifierItemAdaptor final : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ empty)
    Q_PROPERTY(QString IconName READ empty)
    Q_PROPERTY(norvane::sni::IconPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ empty)
    Q_PROPERTY(norvane::sni::IconPixmaps OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ empty)
    Q_PROPERTY(norvane::sni::IconPixmaps AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ empty)
    Q_PROPERTY(norvane::sni::ToolTip ToolTip READ toolTip)
    // What a screen reader says for the icon; GNOME's AppIndicator host asks for both on NewIcon.
    Q_PROPERTY(QString IconAccessibleDesc READ title)
    Q_PROPERTY(QString AttentionAccessibleDesc READ title)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)

public:
    explicit StatusNotifierItemAdaptor(StatusNotifierItem* item) : QDBusAbstractAdaptor(item), m_item(item) {}

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QCoreApplication::applicationName(); }
    QString title() const { return m_item->toolTipTitle(); }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString empty() const { return {}; }
    IconPixmaps iconPixmap() const { return pixmaps(m_item->icon()); }
    IconPixmaps noPixmaps() const { return {}; }
    ToolTip toolTip() const
    {
        // Plasma reads the body as markup; the text is plain, and may hold what GitHub sent.
        return {{}, {}, m_item->toolTipTitle(), m_item->toolTipBody().toHtmlEscaped()};
    }
    // A left click is the item's own action (the panel), not its menu.
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const { return QDBusObjectPath(QStringLiteral("/MenuBar")); }

public Q_SLOTS:
    void Activate(int x, int y) { m_item->activate(x, y); }
    void SecondaryActivate(int, int) {}
    void ContextMenu(int x, int y) { m_item->contextMenu(x, y); }
    void Scroll(int, const QString&) {}

Q_SIGNALS:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    StatusNotifierItem* m_item;
};

// The item's QMenu over com.canonical.dbusmenu. Entries get ids as they are first seen (the menu itself is
// 0); the host is told when entries come, go or change.
class DBusMenuAdaptor final : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    explicit DBusMenuAdaptor(QObject* parent) : QDBusAbstractAdaptor(parent)
    {
        m_flush.setSingleShot(true);
        m_flush.setInterval(0);
        connect(&m_flush, &QTimer::timeout, this, &DBusMenuAdaptor::flush);
    }

    void setMenu(QMenu* menu)
    {
        m_menu = menu;
        watch(menu);
        layoutChanged();
    }

    uint version() const { return 3; }
    QString textDirection() const
    {
        return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl")
                                                                     : QStringLiteral("ltr");
    }
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

public Q_SLOTS:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   norvane::sni::MenuLayout& layout)
    {
        layout = this->layout(parentId, recursionDepth, propertyNames);
        return m_revision;
    }

    norvane::sni::MenuItemPropertiesList GetGroupProperties(const QList<int>& ids,
                                                            const QStringList& propertyNames)
    {
        MenuItemPropertiesList result;
        for (const int id : ids)
            if (id == 0 || m_actions.value(id))
                result.append({id, properties(id, propertyNames)});
        return result;
    }

    QDBusVariant GetProperty(int id, const QString& name)
    {
        return QDBusVariant(properties(id, {name}).value(name));
    }

    void Event(int id, const QString& eventId, const QDBusVariant&, uint)
    {
        if (eventId != QLatin1String("clicked"))
            return;
        // Not inside the bus call: what the action does may open windows or quit.
        if (QPointer<QAction> action = m_actions.value(id))
            QMetaObject::invokeMethod(
                action,
                [action] {
                    if (action && action->isEnabled())
                        action->trigger();
                },
                Qt::QueuedConnection);
    }

    QList<int> EventGroup(const norvane::sni::MenuEventList& events)
    {
        QList<int> unknown;
        for (const MenuEvent& event : events) {
            if (event.id != 0 && !m_actions.value(event.id))
                unknown.append(event.id);
            else
                Event(event.id, event.eventId, event.data, event.timestamp);
        }
        return unknown;
    }

    bool AboutToShow(int) { return false; }

    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors)
    {
        for (const int id : ids)
            if (id != 0 && !m_actions.value(id))
                idErrors.append(id);
        return {};
    }

Q_SIGNALS:
    void ItemsPropertiesUpdated(const norvane::sni::MenuItemPropertiesList& updated,
                                const norvane::sni::MenuItemKeysList& removed);
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::ActionAdded:
        case QEvent::ActionRemoved:
            layoutChanged();
            break;
        case QEvent::ActionChanged:
            if (auto* action = static_cast<QActionEvent*>(event)->action()) {
                m_changed.insert(action);
                // A submenu set on an entry since: its entries are followed too.
                if (QMenu* submenu = action->menu<QMenu*>())
                    watch(submenu);
                m_flush.start();
            }
            break;
        default:
            break;
        }
        return QDBusAbstractAdaptor::eventFilter(watched, event);
    }

private:
    void watch(QMenu* menu)
    {
        if (!menu || m_watched.contains(menu))
            return;
        m_watched.insert(menu);
        menu->installEventFilter(this);
        connect(menu, &QObject::destroyed, this, [this, menu] { m_watched.remove(menu); });
        for (QAction* action : menu->actions())
            watch(action->menu<QMenu*>());
    }

    void layoutChanged()
    {
        m_layoutChanged = true;
        m_flush.start();
    }

    void flush()
    {
        if (m_layoutChanged) {
            m_layoutChanged = false;
            m_changed.clear();
            ++m_revision;
            Q_EMIT LayoutUpdated(m_revision, 0);
            return;
        }
        MenuItemPropertiesList updated;
        for (QAction* action : std::as_const(m_changed))
            if (m_ids.contains(action))
                updated.append({idOf(action), properties(idOf(action), {})});
        m_changed.clear();
        if (!updated.isEmpty())
            Q_EMIT ItemsPropertiesUpdated(updated, {});
    }

    int idOf(QAction* action)
    {
        auto found = m_ids.constFind(action);
        if (found != m_ids.constEnd())
            return *found;
        const int id = m_nextId++;
        m_ids.insert(action, id);
        m_actions.insert(id, action);
        connect(action, &QObject::destroyed, this, [this, action, id] {
            m_ids.remove(action);
            m_actions.remove(id);
        });
        return id;
    }

    QMenu* menuOf(int id) const
    {
        if (id == 0)
            return m_menu;
        const QPointer<QAction> action = m_actions.value(id);
        return action ? action->menu<QMenu*>() : nullptr;
    }

    QVariantMap properties(int id, const QStringList& names) const
    {
        QVariantMap all;
        if (id == 0) {
            all.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
        } else if (const QPointer<QAction> action = m_actions.value(id)) {
            if (action->isSeparator()) {
                all.insert(QStringLiteral("type"), QStringLiteral("separator"));
            } else {
                all.insert(QStringLiteral("label"), menuLabel(action->text()));
                if (action->isCheckable()) {
                    const bool radio = action->actionGroup() && action->actionGroup()->isExclusive();
                    all.insert(QStringLiteral("toggle-type"),
                               radio ? QStringLiteral("radio") : QStringLiteral("checkmark"));
                    all.insert(QStringLiteral("toggle-state"), action->isChecked() ? 1 : 0);
                }
                if (action->menu<QMenu*>())
                    all.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
            }
            // Only what differs from the defaults (enabled, visible) is sent.
            if (!action->isEnabled())
                all.insert(QStringLiteral("enabled"), false);
            if (!action->isVisible())
                all.insert(QStringLiteral("visible"), false);
        }
        if (names.isEmpty())
            return all;
        QVariantMap asked;
        for (const QString& name : names)
            if (all.contains(name))
                asked.insert(name, all.value(name));
        return asked;
    }

    MenuLayout layout(int id, int depth, const QStringList& names)
    {
        MenuLayout result{id, properties(id, names), {}};
        QMenu* menu = menuOf(id);
        if (!menu || depth == 0)
            return result;
        for (QAction* action : menu->actions())
            result.children.append(layout(idOf(action), depth < 0 ? -1 : depth - 1, names));
        return result;
    }

    QPointer<QMenu> m_menu;
    QHash<QAction*, int> m_ids;
    QHash<int, QPointer<QAction>> m_actions;
    QSet<QMenu*> m_watched;
    QSet<QAction*> m_changed;
    int m_nextId = 1;
    uint m_revision = 1;
    bool m_layoutChanged = false;
    QTimer m_flush;
};

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/MenuBar");

} // namespace

StatusNotifierItem::StatusNotifierItem(QObject* parent)
    : QObject(parent), m_bus([] {
          // A connection of its own: the item's name and objects go with it, whatever else the app has on
          // the session bus.
          static int connections = 0;
          return QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                               QStringLiteral("norvane-tray-item-%1").arg(++connections));
      }())
{
    registerTypes();
    m_adaptor = new StatusNotifierItemAdaptor(this);
    m_menuObject = new QObject(this);
    m_menuAdaptor = new DBusMenuAdaptor(m_menuObject);
    m_watcher =
        new QDBusServiceWatcher(kWatcherService, m_bus, QDBusServiceWatcher::WatchForRegistration, this);
    // A panel that restarts brings a new watcher, which knows no items.
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        if (m_visible)
            registerWithWatcher();
    });
}

StatusNotifierItem::~StatusNotifierItem()
{
    hide();
    QDBusConnection::disconnectFromBus(m_bus.name());
}

void StatusNotifierItem::setIcon(const QIcon& icon)
{
    m_icon = icon;
    Q_EMIT m_adaptor->NewIcon();
}

void StatusNotifierItem::setToolTip(const QString& title, const QString& body)
{
    if (title == m_toolTipTitle && body == m_toolTipBody)
        return;
    const bool newTitle = title != m_toolTipTitle;
    m_toolTipTitle = title;
    m_toolTipBody = body;
    if (newTitle)
        Q_EMIT m_adaptor->NewTitle();
    Q_EMIT m_adaptor->NewToolTip();
}

void StatusNotifierItem::setContextMenu(QMenu* menu)
{
    m_menu = menu;
    m_menuAdaptor->setMenu(menu);
}

void StatusNotifierItem::show()
{
    if (m_visible || !m_bus.isConnected())
        return;
    // A new name for each showing: a watcher that still remembers the last one sees a new item.
    static int shown = 0;
    m_service = QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                    .arg(QCoreApplication::applicationPid())
                    .arg(++shown);
    if (!m_bus.registerObject(kItemPath, this, QDBusConnection::ExportAdaptors) ||
        !m_bus.registerObject(kMenuPath, m_menuObject, QDBusConnection::ExportAdaptors) ||
        !m_bus.registerService(m_service)) {
        debugLog(QStringLiteral("Tray"),
                 QStringLiteral("❌ Could not put the tray icon on the session bus: ") +
                     m_bus.lastError().message());
        m_bus.unregisterObject(kItemPath);
        m_bus.unregisterObject(kMenuPath);
        return;
    }
    m_visible = true;
    registerWithWatcher();
}

void StatusNotifierItem::hide()
{
    if (!m_visible)
        return;
    m_visible = false;
    // The watcher drops an item whose name goes.
    m_bus.unregisterService(m_service);
    m_bus.unregisterObject(kItemPath);
    m_bus.unregisterObject(kMenuPath);
}

void StatusNotifierItem::registerWithWatcher()
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(kWatcherService, QStringLiteral("/StatusNotifierWatcher"),
                                       kWatcherService, QStringLiteral("RegisterStatusNotifierItem"));
    call << m_service;
    auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        const QDBusPendingReply<> reply = *finished;
        // No watcher yet: its arrival registers the item.
        if (reply.isError() && reply.error().type() != QDBusError::ServiceUnknown)
            debugLog(QStringLiteral("Tray"),
                     QStringLiteral("❌ The tray did not take the icon: ") + reply.error().message());
    });
}

void StatusNotifierItem::activate(int x, int y)
{
    Q_EMIT activated(x == 0 && y == 0 ? std::nullopt : std::optional<QPoint>(QPoint(x, y)));
}

void StatusNotifierItem::contextMenu(int x, int y)
{
    if (m_menu)
        m_menu->popup(x == 0 && y == 0 ? QCursor::pos() : QPoint(x, y));
}

} // namespace norvane

#include "status_notifier_item.moc"
