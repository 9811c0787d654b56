#pragma once
// The texts of the history lists (a row's history and the whole history): the menu item, the
// column titles, and the words shown for the stored actions, tables and columns. They are the
// captions of hidden labels of one hidden window, "frmHistoryTexts", so that they follow the
// interface language like any window's texts.

#include "data/history.h"

#include <QString>
#include <QWidget>

class HistoryTexts : public QWidget
{
    Q_OBJECT

public:
    /// The one hidden window, made (and translated) on first use.
    static HistoryTexts* instance();
    /// The caption of the named label (mitRowHistory, lblChanged, act_added, tbl_stud,
    /// col_stud_studname, ...), in the language in effect.
    static QString text(const char* name);
    /// The words for the stored codes, as the history lists take them.
    static History::Captions captions();

private:
    HistoryTexts();
};
