#pragma once
// What the main window's tests set up: a folder of their own as the working folder (where the
// program's ryn.ini lies), no settings and no language file kept from the case before, and the main
// window of a logged-in user; afterwards the window gone and every queued answer used.

#include "app/mainwindow.h"
#include "lang/languagemanager.h"
#include "platform/dialogseam.h"
#include "platform/inifile.h"
#include "sandboxdb.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class MainWindowFixture
{
protected:
    std::unique_ptr<MainWindow> m_main;
    QTemporaryDir m_dir;
    QString m_oldDir;

    /// A main window of the account "admin", maximised.
    MainWindow* open(bool isAdmin = true)
    {
        Session session;
        session.isAdmin = isAdmin;
        session.account = QStringLiteral("admin");
        m_main = std::make_unique<MainWindow>(session);
        m_main->showMaximized();
        return m_main.get();
    }

    void startRun()
    {
        SandboxDb::require();
        m_oldDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
    }
    void endRun() { QDir::setCurrent(m_oldDir); }

    void startCase()
    {
        languageManager().reset();
        DialogSeam::clear();
        QFile::remove(m_dir.filePath("ryn.ini"));
        QFile::remove(IniFile::userSettingsPath());
    }
    void endCase()
    {
        if (m_main) {
            m_main->setAttribute(Qt::WA_DeleteOnClose, false);
            m_main.reset();
        }
        languageManager().reset();
        QCOMPARE(DialogSeam::pending(), 0);
    }
};
