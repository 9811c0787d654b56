#pragma once
// Message boxes in the manner of the Windows call: the caller passes the same flag values
// (buttons, icon, default button) and gets the same return values. Every prompt of the program
// goes through here or through promptFileOpen / promptFileSave, so that tests can answer it (see DialogSeam).

#include <QString>

class QPrinter;
class QWidget;

namespace Win {
enum : int {
    MB_OK = 0,
    MB_OKCANCEL = 1,
    MB_YESNO = 4,
    MB_ICONHAND = 16,
    MB_ICONQUESTION = 32,
    MB_ICONEXCLAMATION = 48,
    MB_ICONASTERISK = 64,
    MB_DEFBUTTON2 = 256,
    IDOK = 1,
    IDCANCEL = 2,
    IDYES = 6,
    IDNO = 7,
};
}

/// Shows a modal message box; flags combine one button set (0 OK, 1 OK/Cancel, 4 Yes/No), one icon
/// (16, 32, 48, 64) and 256 to make the second button the default. Returns IDOK or IDCANCEL
/// (closing the box or Esc answers IDCANCEL where there is a Cancel button, IDOK otherwise), or IDYES or
/// IDNO for Yes/No (closing the box or Esc answers IDNO).
int showMessageBox(QWidget* parent, const QString& text, const QString& caption, int flags);

/// The plain notice: the text, an OK button, no icon and no title.
void showNotice(const QString& text);

/// The application's title, shown on the standard error box (the program's name until set).
void setApplicationTitle(const QString& title);
QString applicationTitle();

/// The standard error box of the user interface: the error text, the application's title, the error icon.
void showErrorBox(const QString& text);

/// The file-open dialog; returns the chosen path, or an empty text when the user cancels.
QString promptFileOpen(QWidget* parent, const QString& title, const QString& filter);

/// The file-save dialog, opening on suggested (a file name or path); asks before replacing a file.
/// Returns the chosen path, or an empty text when the user cancels. A test answers it with a queued
/// file name.
QString promptFileSave(QWidget* parent, const QString& title, const QString& filter,
                       const QString& suggested = QString());

/// The print dialog for printer; true when the user chose to print. A test answers it with a queued
/// IDOK or IDCANCEL (the printer then keeps its settings).
bool promptPrint(QWidget* parent, QPrinter* printer);
