#pragma once
// What the tests of one record window set up around every case: the demo data loaded again, no
// prompt left from the case before, no grid layout kept, and the window's own connection made as
// the program makes it; afterwards the window and the connection gone, and every queued answer used.

#include "controls/gridlayout.h"
#include "data/connection.h"
#include "formdriver.h"
#include "platform/dialogseam.h"
#include "sandboxdb.h"
#include "session/session.h"

#include <QFile>
#include <QPointer>
#include <QtTest>
#include <memory>
#include <type_traits>

/// A new window of class Form on conn, for session's user when the window acts for a user.
template <typename Form> Form* newWindow(Connection* conn, const Session& session)
{
    if constexpr (std::is_constructible_v<Form, Connection*, const Session&>)
        return new Form(conn, session);
    else
        return new Form(conn);
}

template <typename Form> class WindowFixture
{
protected:
    std::unique_ptr<Connection> m_conn;
    QPointer<Form> m_form;
    /// The logged-in user the case's windows get; none unless the case sets one.
    Session m_session;

    /// A new window on the case's connection, shown and active.
    Form* open()
    {
        m_form = newWindow<Form>(m_conn.get(), m_session);
        FormDriver::show(m_form);
        return m_form;
    }

    /// The start of a case (init).
    void startCase()
    {
        SandboxDb::reseed();
        DialogSeam::clear();
        m_session = Session();
        // Each case opens its windows as built: no grid layout kept from the case before.
        QFile::remove(GridLayout::path());
        m_conn.reset(SandboxDb::programConnection(nullptr));
    }

    /// The end of a case (cleanup).
    void endCase()
    {
        delete m_form;
        m_conn.reset();
        QCOMPARE(DialogSeam::pending(), 0);
    }
};
