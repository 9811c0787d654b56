#pragma once
// What the tests of one record window set up around every case: the demo data loaded again, no
// prompt left from the case before, no grid layout kept, and the window's own connection made as
// the program makes it; afterwards the window and the connection gone, and every queued answer used.

#include "controls/gridlayout.h"
#include "data/connection.h"
#include "formdriver.h"
#include "platform/dialogseam.h"
#include "sandboxdb.h"

#include <QFile>
#include <QPointer>
#include <QtTest>
#include <memory>

template <typename Form> class WindowFixture
{
protected:
    std::unique_ptr<Connection> m_conn;
    QPointer<Form> m_form;

    /// A new window on the case's connection, shown and active.
    Form* open()
    {
        m_form = new Form(m_conn.get());
        FormDriver::show(m_form);
        return m_form;
    }

    /// The start of a case (init).
    void startCase()
    {
        SandboxDb::reseed();
        DialogSeam::clear();
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
