#include "dialogseam.h"

#include <QtGlobal>

namespace {
bool s_scripted = false;
QList<int> s_answers;
QList<QString> s_fileNames;
QList<Prompt> s_prompts;

void unanswered(const Prompt& prompt)
{
    qFatal("Unanswered prompt \"%s\" (%s), flags %d", qPrintable(prompt.text), qPrintable(prompt.caption),
           prompt.flags);
}
} // namespace

void DialogSeam::setScripted(bool on)
{
    s_scripted = on;
}
bool DialogSeam::scripted()
{
    return s_scripted;
}
void DialogSeam::queueAnswer(int result)
{
    s_answers.append(result);
}
void DialogSeam::queueFileName(const QString& path)
{
    s_fileNames.append(path);
}
const QList<Prompt>& DialogSeam::prompts()
{
    return s_prompts;
}
Prompt DialogSeam::last()
{
    return s_prompts.isEmpty() ? Prompt{} : s_prompts.last();
}
int DialogSeam::pending()
{
    return int(s_answers.size() + s_fileNames.size());
}

void DialogSeam::clear()
{
    s_prompts.clear();
    s_answers.clear();
    s_fileNames.clear();
}

bool DialogSeam::take(const Prompt& prompt, int& answer)
{
    if (!s_scripted)
        return false;
    s_prompts.append(prompt);
    if (s_answers.isEmpty())
        unanswered(prompt);
    answer = s_answers.takeFirst();
    return true;
}

bool DialogSeam::takeFileName(const Prompt& prompt, QString& path)
{
    if (!s_scripted)
        return false;
    s_prompts.append(prompt);
    if (s_fileNames.isEmpty())
        unanswered(prompt);
    path = s_fileNames.takeFirst();
    return true;
}
