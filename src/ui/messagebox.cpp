#include "messagebox.h"

#include "platform/dialogseam.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>

namespace {
QMessageBox::Icon iconFor(int flags)
{
    switch (flags & 0xF0) {
    case Win::MB_ICONHAND:
        return QMessageBox::Critical;
    case Win::MB_ICONQUESTION:
        return QMessageBox::Question;
    case Win::MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case Win::MB_ICONASTERISK:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}
QString s_applicationTitle;
} // namespace

void setApplicationTitle(const QString& title)
{
    s_applicationTitle = title;
}

QString applicationTitle()
{
    return s_applicationTitle.isEmpty() ? QCoreApplication::applicationName() : s_applicationTitle;
}

int showMessageBox(QWidget* parent, const QString& text, const QString& caption, int flags)
{
    int answer = 0;
    if (DialogSeam::take({Prompt::Message, text, caption, flags}, answer))
        return answer;

    QMessageBox box(iconFor(flags), caption, text, QMessageBox::NoButton, parent);
    if ((flags & 0x0F) == Win::MB_YESNO) {
        QPushButton* yes = box.addButton(QMessageBox::Yes);
        QPushButton* no = box.addButton(QMessageBox::No);
        box.setDefaultButton((flags & Win::MB_DEFBUTTON2) ? no : yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? Win::IDYES : Win::IDNO;
    }
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    QPushButton* cancel = nullptr;
    if ((flags & 0x0F) == Win::MB_OKCANCEL)
        cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton((flags & Win::MB_DEFBUTTON2) && cancel ? cancel : ok);
    box.setEscapeButton(cancel ? cancel : ok);
    box.exec();
    return box.clickedButton() == ok ? Win::IDOK : Win::IDCANCEL;
}

void showNotice(const QString& text)
{
    int answer = 0;
    if (DialogSeam::take({Prompt::Message, text, QString(), Prompt::PlainNotice}, answer))
        return;
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral(" "), text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void showErrorBox(const QString& text)
{
    showMessageBox(QApplication::activeWindow(), text, applicationTitle(), Win::MB_ICONHAND);
}

QString promptFileOpen(QWidget* parent, const QString& title, const QString& filter)
{
    QString path;
    if (DialogSeam::takeFileName({Prompt::FileOpen, filter, title, 0}, path))
        return path;
    return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QString promptFileSave(QWidget* parent, const QString& title, const QString& filter, const QString& suggested)
{
    QString path;
    if (DialogSeam::takeFileName({Prompt::FileSave, filter, title, 0}, path))
        return path;
    return QFileDialog::getSaveFileName(parent, title, suggested, filter);
}

bool promptPrint(QWidget* parent, QPrinter* printer)
{
    int answer = 0;
    if (DialogSeam::take({Prompt::Print, QString(), QString(), 0}, answer))
        return answer == Win::IDOK;
    QPrintDialog dialog(printer, parent);
    return dialog.exec() == QDialog::Accepted;
}
