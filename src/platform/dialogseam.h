#pragma once
// The one seam between the program's prompts and whoever answers them. Normally that is the
// user; a test switches the seam to scripted mode and queues answers before the action.

#include <QList>
#include <QString>

struct Prompt {
    enum Kind { Message, FileOpen, FileSave };
    Kind kind = Message;
    QString text;    ///< message text, or the dialog's filter for a file prompt
    QString caption; ///< title of the box
    int flags = 0;   ///< Windows-style flags; -1 for the plain notice
};

class DialogSeam
{
public:
    /// In scripted mode no dialog is shown: each prompt takes the next queued answer, and a prompt
    /// with nothing queued stops the process at once with the prompt's text (a test must never hang).
    static void setScripted(bool on);
    static bool scripted();

    static void queueAnswer(int result);
    static void queueFileName(const QString& path);

    /// Prompts seen since the last clear(), oldest first.
    static const QList<Prompt>& prompts();
    static Prompt last();
    static void clear();
    /// Answers still queued (a test that queued more than was asked leaves some).
    static int pending();

    // Used by the prompt functions only.
    static bool take(const Prompt& prompt, int& answer);
    static bool takeFileName(const Prompt& prompt, QString& path);
};
