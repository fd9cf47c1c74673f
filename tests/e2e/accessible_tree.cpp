#include "accessible_tree.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QRegularExpression>

namespace {

constexpr int kCallMs = 10000;
const QString kAccessible = QStringLiteral("org.a11y.atspi.Accessible");

QString connectionName(const char* what) {
    static int serial = 0;
    return QStringLiteral("%1-%2").arg(QString::fromLatin1(what)).arg(++serial);
}

QDBusMessage call(const QDBusConnection& bus, const QString& service, const QString& path,
                  const QString& interface, const QString& method,
                  const QVariantList& arguments = {}) {
    QDBusMessage m = QDBusMessage::createMethodCall(service, path, interface, method);
    m.setArguments(arguments);
    return bus.call(m, QDBus::Block, kCallMs);
}

QVariant first(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
               ? reply.arguments().first()
               : QVariant();
}

} // namespace

AccessibleTree::AccessibleTree(const QString& sessionBusAddress)
    : bus_(QDBusConnection(QString())) {
    QDBusConnection session =
        QDBusConnection::connectToBus(sessionBusAddress, connectionName("session"));
    if (!session.isConnected())
        return;
    const QString address =
        first(call(session, QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                   QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")))
            .toString();
    // What a screen reader does as it starts: Qt registers its windows only while it is on.
    call(session, QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
         QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
         {QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled"),
          QVariant::fromValue(QDBusVariant(true))});
    QDBusConnection::disconnectFromBus(session.name());
    if (!address.isEmpty())
        bus_ = QDBusConnection::connectToBus(address, connectionName("a11y"));
}

AccessibleTree::~AccessibleTree() {
    if (bus_.isConnected())
        QDBusConnection::disconnectFromBus(bus_.name());
}

bool AccessibleTree::connected() const {
    return bus_.isConnected();
}

QList<AccessibleTree::Ref> AccessibleTree::children(const Ref& ref) {
    QList<Ref> out;
    const QVariant v =
        first(call(bus_, ref.service, ref.path, kAccessible, QStringLiteral("GetChildren")));
    if (!v.canConvert<QDBusArgument>())
        return out;
    const QDBusArgument arg = v.value<QDBusArgument>();
    arg.beginArray();
    while (!arg.atEnd()) {
        Ref child;
        QDBusObjectPath path;
        arg.beginStructure();
        arg >> child.service >> path;
        arg.endStructure();
        child.path = path.path();
        out << child;
    }
    arg.endArray();
    return out;
}

QString AccessibleTree::name(const Ref& ref) {
    const QVariant v =
        first(call(bus_, ref.service, ref.path, QStringLiteral("org.freedesktop.DBus.Properties"),
                   QStringLiteral("Get"), {kAccessible, QStringLiteral("Name")}));
    return v.value<QDBusVariant>().variant().toString();
}

std::optional<AccessibleTree::Ref> AccessibleTree::application(qint64 pid) {
    const Ref root{QStringLiteral("org.a11y.atspi.Registry"),
                   QStringLiteral("/org/a11y/atspi/accessible/root")};
    for (const Ref& app : children(root)) {
        const QVariant owner = first(
            call(bus_, QStringLiteral("org.freedesktop.DBus"),
                 QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
                 QStringLiteral("GetConnectionUnixProcessID"), {app.service}));
        if (owner.isValid() && owner.toLongLong() == pid)
            return app;
    }
    return std::nullopt;
}

void AccessibleTree::collect(const Ref& ref, int depth, QList<Control>* out) {
    Control c;
    c.name = name(ref);
    c.role = first(call(bus_, ref.service, ref.path, kAccessible, QStringLiteral("GetRoleName")))
                 .toString();
    // The states are a bit set in two 32-bit words; 25 is "showing".
    const QVariant states =
        first(call(bus_, ref.service, ref.path, kAccessible, QStringLiteral("GetState")));
    if (states.canConvert<QDBusArgument>()) {
        QList<uint> words;
        states.value<QDBusArgument>() >> words;
        c.showing = !words.isEmpty() && (words.first() & (1u << 25));
    }
    // Coordinates of type 0: on the screen.
    const QVariant extents =
        first(call(bus_, ref.service, ref.path, QStringLiteral("org.a11y.atspi.Component"),
                   QStringLiteral("GetExtents"), {uint(0)}));
    if (extents.canConvert<QDBusArgument>()) {
        const QDBusArgument arg = extents.value<QDBusArgument>();
        int x = 0, y = 0, w = 0, h = 0;
        arg.beginStructure();
        arg >> x >> y >> w >> h;
        arg.endStructure();
        c.onScreen = QRect(x, y, w, h);
    }
    out->append(c);
    if (depth < 32)
        for (const Ref& child : children(ref))
            collect(child, depth + 1, out);
}

QList<AccessibleTree::Control> AccessibleTree::controls(qint64 pid, const QString& windowName) {
    QList<Control> out;
    const std::optional<Ref> app = application(pid);
    if (!app)
        return out;
    const QRegularExpression pattern(windowName);
    for (const Ref& window : children(*app))
        if (pattern.match(name(window)).hasMatch())
            collect(window, 0, &out);
    return out;
}
