#include "ui/dialogs/window_title.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

#if __has_include(<xcb/xcb.h>)
#include <xcb/xcb.h>
#define SORVANE_HAVE_XCB 1
#endif

namespace sorvane {

namespace {

#ifdef SORVANE_HAVE_XCB
xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t result = reply ? reply->atom : XCB_ATOM_NONE;
    free(reply);
    return result;
}
#endif

void writeEmptyTitle(QWidget *window)
{
#ifdef SORVANE_HAVE_XCB
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !window->testAttribute(Qt::WA_WState_Created))
        return;
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t netWmName = atom(connection, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atom(connection, "UTF8_STRING");
    if (netWmName != XCB_ATOM_NONE && utf8 != XCB_ATOM_NONE)
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, netWmName, utf8, 8, 0, "");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, "");
    xcb_flush(connection);
#else
    Q_UNUSED(window);
#endif
}

class EmptyTitleKeeper : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::WindowTitleChange:
        case QEvent::WinIdChange: {
            auto *window = static_cast<QWidget *>(watched);
            if (window->windowTitle().isEmpty())
                writeEmptyTitle(window);
            break;
        }
        default:
            break;
        }
        return false;
    }
};

} // namespace

void keepEmptyWindowTitle(QWidget *window)
{
    window->installEventFilter(new EmptyTitleKeeper(window));
}

} // namespace sorvane
