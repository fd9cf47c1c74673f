#include "x_display.h"

#include <algorithm>
#include <cstdlib>
#include <xcb/xcb.h>

XDisplay::XDisplay(const QString& display) {
    int screen = 0;
    c_ = xcb_connect(display.toLocal8Bit().constData(), &screen);
    if (xcb_connection_has_error(c_))
        return;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c_));
    for (int i = 0; i < screen && it.rem; ++i)
        xcb_screen_next(&it);
    if (it.rem)
        root_ = it.data->root;
}

XDisplay::~XDisplay() {
    if (c_)
        xcb_disconnect(c_);
}

bool XDisplay::connected() const {
    return c_ && !xcb_connection_has_error(c_) && root_ != 0;
}

unsigned XDisplay::atom(const char* name) {
    const auto found = atoms_.constFind(name);
    if (found != atoms_.constEnd())
        return *found;
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, uint16_t(qstrlen(name)), name), nullptr);
    const unsigned a = r ? r->atom : 0;
    std::free(r);
    if (a)
        atoms_.insert(name, a);
    return a;
}

QString XDisplay::atomName(unsigned a) {
    const auto found = names_.constFind(a);
    if (found != names_.constEnd())
        return *found;
    xcb_get_atom_name_reply_t* r = xcb_get_atom_name_reply(c_, xcb_get_atom_name(c_, a), nullptr);
    QString name;
    if (r)
        name = QString::fromLatin1(xcb_get_atom_name_name(r), xcb_get_atom_name_name_length(r));
    std::free(r);
    names_.insert(a, name);
    return name;
}

QByteArray XDisplay::raw(Wid w, unsigned property, unsigned* type, int* format) {
    *type = 0;
    *format = 0;
    if (!connected() || !property)
        return {};
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, xcb_window_t(w), property, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096),
        nullptr);
    if (!r)
        return {};
    *type = r->type;
    *format = r->format;
    const QByteArray bytes(static_cast<const char*>(xcb_get_property_value(r)),
                           xcb_get_property_value_length(r));
    std::free(r);
    return bytes;
}

QString XDisplay::property(Wid w, const char* name) {
    unsigned type = 0;
    int format = 0;
    const QByteArray bytes = raw(w, atom(name), &type, &format);
    if (type == XCB_ATOM_ATOM && format == 32) {
        QStringList names;
        const auto* atoms = reinterpret_cast<const uint32_t*>(bytes.constData());
        for (qsizetype i = 0; i < bytes.size() / 4; ++i)
            names << atomName(atoms[i]);
        return names.join(QStringLiteral(", "));
    }
    if (format == 8)
        return QString::fromUtf8(bytes);
    return {};
}

QList<XDisplay::Wid> XDisplay::ids(Wid w, const char* name) {
    unsigned type = 0;
    int format = 0;
    const QByteArray bytes = raw(w, atom(name), &type, &format);
    QList<Wid> list;
    if (format != 32)
        return list;
    const auto* values = reinterpret_cast<const uint32_t*>(bytes.constData());
    for (qsizetype i = 0; i < bytes.size() / 4; ++i)
        list << values[i];
    return list;
}

bool XDisplay::viewable(Wid w) {
    if (!connected())
        return false;
    xcb_get_window_attributes_reply_t* r = xcb_get_window_attributes_reply(
        c_, xcb_get_window_attributes(c_, xcb_window_t(w)), nullptr);
    const bool seen = r && r->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(r);
    return seen;
}

bool XDisplay::popup(Wid w) {
    if (!connected())
        return false;
    xcb_get_window_attributes_reply_t* a = xcb_get_window_attributes_reply(
        c_, xcb_get_window_attributes(c_, xcb_window_t(w)), nullptr);
    const bool redirect = a && a->override_redirect;
    std::free(a);
    if (!redirect)
        return false;
    xcb_query_tree_reply_t* t =
        xcb_query_tree_reply(c_, xcb_query_tree(c_, xcb_window_t(w)), nullptr);
    const bool topLevel = t && t->parent == root_;
    std::free(t);
    return topLevel;
}

QRect XDisplay::geometry(Wid w) {
    if (!connected())
        return {};
    xcb_get_geometry_reply_t* g =
        xcb_get_geometry_reply(c_, xcb_get_geometry(c_, xcb_window_t(w)), nullptr);
    if (!g)
        return {};
    const QSize size(g->width, g->height);
    std::free(g);
    xcb_translate_coordinates_reply_t* t = xcb_translate_coordinates_reply(
        c_, xcb_translate_coordinates(c_, xcb_window_t(w), xcb_window_t(root_), 0, 0), nullptr);
    if (!t)
        return {};
    const QRect place(QPoint(t->dst_x, t->dst_y), size);
    std::free(t);
    return place;
}

std::optional<QRect> XDisplay::frameGeometry(Wid w) {
    const QList<Wid> extents = ids(w, "_NET_FRAME_EXTENTS"); // left, right, top, bottom
    const QRect client = geometry(w);
    if (extents.size() != 4 || client.isEmpty())
        return std::nullopt;
    return client.adjusted(-int(extents[0]), -int(extents[2]), int(extents[1]), int(extents[3]));
}

QRect XDisplay::workArea() {
    const QList<Wid> area = ids(root_, "_NET_WORKAREA"); // x, y, width, height per desktop
    if (area.size() >= 4)
        return QRect(int(area[0]), int(area[1]), int(area[2]), int(area[3]));
    return geometry(root_);
}

void XDisplay::walk(Wid w, QList<Wid>* all) {
    xcb_query_tree_reply_t* r =
        xcb_query_tree_reply(c_, xcb_query_tree(c_, xcb_window_t(w)), nullptr);
    if (!r)
        return;
    const xcb_window_t* children = xcb_query_tree_children(r);
    const int count = xcb_query_tree_children_length(r);
    QList<Wid> level;
    for (int i = 0; i < count; ++i)
        level << children[i];
    std::free(r);
    for (const Wid child : level) {
        all->append(child);
        walk(child, all);
    }
}

QList<XDisplay::Wid> XDisplay::search(Match how, const QString& pattern, bool visibleOnly) {
    QList<Wid> found;
    if (!connected())
        return found;
    const QRegularExpression re(pattern, QRegularExpression::CaseInsensitiveOption);
    QList<Wid> all;
    walk(root_, &all);
    for (const Wid w : all) {
        QStringList candidates;
        if (how == Match::Name) {
            QString name = property(w, "_NET_WM_NAME");
            if (name.isEmpty())
                name = property(w, "WM_NAME");
            candidates << name;
        } else {
            unsigned type = 0;
            int format = 0;
            const QList<QByteArray> parts = raw(w, XCB_ATOM_WM_CLASS, &type, &format).split('\0');
            candidates << QString::fromLocal8Bit(parts.value(how == Match::Class ? 1 : 0));
        }
        const bool matches =
            std::any_of(candidates.cbegin(), candidates.cend(),
                        [&](const QString& s) { return !s.isEmpty() && re.match(s).hasMatch(); });
        if (matches && (!visibleOnly || viewable(w)))
            found << w;
    }
    return found;
}

std::string GeometryText(const QRect& r) {
    return QStringLiteral("%1x%2%3%4%5%6")
        .arg(r.width())
        .arg(r.height())
        .arg(r.x() < 0 ? QString() : QStringLiteral("+"))
        .arg(r.x())
        .arg(r.y() < 0 ? QString() : QStringLiteral("+"))
        .arg(r.y())
        .toStdString();
}
