#pragma once
// The translatable-property tables of the program's windows, one function per window. Each table
// lists the window's translatable properties in translation-ID order (IDs from 1, the window's own
// caption first); its children are the window's components in order of their first listed property.

#include "langdata.h"

#include <QStringList>

namespace LangTables {
LangEntry frmLogin();
LangEntry frmRynMain();
LangEntry frmChangePassword();
LangEntry frmAbout();
LangEntry frmClassroom();
LangEntry frmCorp();
LangEntry frmCourse();
LangEntry frmStudClass();
LangEntry frmStudent();
LangEntry frmUser();
LangEntry frmWatchlog();
LangEntry frmStatistics();
/// The hidden window that holds the texts of every grid's find bar and export menu.
LangEntry frmGridTools();
/// The hidden window that holds the texts of the history lists.
LangEntry frmHistoryTexts();
LangEntry frmHistory();
LangEntry frmDayClose();
LangEntry frmLowBalance();
/// The hidden window that holds the texts of a booking's receipt.
LangEntry frmReceipt();
/// The hidden window that holds the texts of importing from a spreadsheet.
LangEntry frmImport();

/// The names of the windows that have a table, login dialog first.
QStringList windowNames();
/// The named window's table; an entry with only the name when the window has none.
LangEntry forWindow(const QString& windowName);
} // namespace LangTables
