// What the history of changes costs a save: the students window's save (an edit of one name, and a
// new student) on stud, whose triggers write the history, against the same saves on a copy of stud
// without triggers, side by side in short alternating blocks, over a history already holding many rows.
// The edit is saved twice over: by the table alone (its statements) and by the window itself (Edit
// clicked, the name typed, Save clicked: the handlers, the boxes and the grid's model; nothing painted).
// Run by scripts/bench on a private server (as root it makes the copy and the old history rows).
//
//   bench_history [--history N] [--runs N] [--saves N] [--block N]

#include "benchdata.h"
#include "controls/dbedit.h"
#include "data/connection.h"
#include "data/snapshottable.h"
#include "forms/studentwindow.h"

#include <QApplication>
#include <QPushButton>
#include <QStandardPaths>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <memory>

using namespace Bench;

namespace {
std::unique_ptr<SnapshotTable> students(Connection* c, const QString& table)
{
    auto t = std::make_unique<SnapshotTable>();
    t->setConnection(c);
    t->setTableName(table);
    t->addField(QStringLiteral("spkey"), FieldType::Text, 20);
    t->addField(QStringLiteral("studname"), FieldType::Text, 10);
    t->addField(QStringLiteral("studpwd"), FieldType::Text, 40);
    t->setKeyField(QStringLiteral("spkey"));
    t->open();
    return t;
}

// One save of an edit of the current student's name on the table alone.
void editSave(SnapshotTable& t, int round, int i)
{
    t.edit();
    t.field(QStringLiteral("studname"))->setAsString(QStringLiteral("名%1-%2").arg(round).arg(i % 2));
    t.post();
}

// The students window as the program opens it, then moved onto table.
std::unique_ptr<StudentWindow> studentWindow(Connection* c, const QString& table)
{
    auto w = std::make_unique<StudentWindow>(c);
    w->tblStudent->close();
    w->tblStudent->setTableName(table);
    w->tblStudent->open();
    w->resize(1024, 700);
    w->show();
    // The last student in the window's order: not the one the table alone edits.
    w->tblStudent->setRecNo(w->tblStudent->recordCount() - 1);
    return w;
}

// One save of an edit of the current student's name through the window's buttons and box.
void windowSave(StudentWindow& w, int round, int i)
{
    const QString name = QStringLiteral("窗%1-%2").arg(round).arg(i % 2);
    w.btnEdit->click();
    w.txtStudName->setText(name);
    w.txtStudName->setModified(true); // as typing leaves it
    w.btnPost->click();
    if (w.tblStudent->editing() || w.tblStudent->field(QStringLiteral("studname"))->asString() != name)
        qFatal("The window's save did not store the name on %s", qPrintable(w.tblStudent->tableName()));
}

// One save of a new student.
void addSave(SnapshotTable& t, int round, int i)
{
    t.append();
    t.field(QStringLiteral("spkey"))->setAsString(QStringLiteral("H%1-%2").arg(round).arg(i));
    t.field(QStringLiteral("studname"))->setAsString(QStringLiteral("新生"));
    t.field(QStringLiteral("studpwd"))->setAsString(QStringLiteral("pw"));
    t.post();
}

// One kind of save timed with and without the history. A round alternates short blocks of saves
// between the two tables (which goes first alternates too), so that whatever the machine does
// meanwhile falls on both sides alike, and each side's time is the sum of its own saves. Blocks of
// one save would charge to a save without the history any work the server still does after
// answering one with it; blocks of hundreds let the machine's drift over a round fall on one side.
struct Pair {
    std::vector<double> with, without, ratio;

    /// A round of saves on each side, in blocks of block saves (which side goes first alternates
    /// from block to block): milliseconds per save on each side.
    template <typename With, typename Without> void round(int saves, int block, With&& saveWith, Without&& saveWithout)
    {
        double w = 0, wo = 0;
        for (int first = 0; first < saves; first += block) {
            const int end = std::min(saves, first + block);
            const auto withBlock = [&] {
                for (int i = first; i < end; ++i)
                    w += timed([&] { saveWith(i); });
            };
            const auto withoutBlock = [&] {
                for (int i = first; i < end; ++i)
                    wo += timed([&] { saveWithout(i); });
            };
            if ((first / block) % 2 == 0) {
                withBlock();
                withoutBlock();
            } else {
                withoutBlock();
                withBlock();
            }
        }
        with.push_back(w / saves);
        without.push_back(wo / saves);
        ratio.push_back(w / wo);
    }

    /// Its three lines of the figures table.
    void report(const char* saved, const char* same, const char* ratioLine) const
    {
        line(saved, QString::number(median(with), 'f', 3));
        line(same, QString::number(median(without), 'f', 3));
        line(ratioLine, QString::number(median(ratio), 'f', 3));
    }
};
} // namespace

int main(int argc, char** argv)
{
    Bench::offscreenUnlessAsked();
    QStandardPaths::setTestModeEnabled(true); // no grid layout kept in the user's own settings
    QApplication app(argc, argv);
    int historyRows = 1000000;
    int saves = 300;
    int block = 20; // saves on one side before the other's
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--history"))
            historyRows = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--saves"))
            saves = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--block"))
            block = std::max(1, args[i + 1].toInt());
    }
    const Options o = parse(args, [] {
        Options d;
        d.runs = 5;
        return d;
    }());

    QSqlDatabase& root = Bench::root();
    const int triggers = [&] {
        QSqlQuery q(root);
        q.exec(QStringLiteral("SELECT COUNT(*) FROM information_schema.TRIGGERS WHERE TRIGGER_SCHEMA = 'ryn' AND "
                              "EVENT_OBJECT_TABLE = 'stud' AND DEFINER = 'ryn_history@localhost'"));
        return q.next() ? q.value(0).toInt() : 0;
    }();
    if (triggers != 3)
        qFatal("stud has %d history triggers, not 3: load db/history.sql first", triggers);
    std::printf("Writing %d old history rows...\n", historyRows);
    std::fflush(stdout);
    rootExec(QStringLiteral("TRUNCATE history"));
    rootExec(QStringLiteral("INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, "
                            "account, dbaccount) SELECT NOW(3) - INTERVAL seq MINUTE, "
                            "ELT(1 + seq % 6, 'stud', 'classroom', 'course', 'studclass', 'users', 'corp'), "
                            "CONCAT('K', seq % 100000), 'changed', 'studname', CONCAT('舊', seq), CONCAT('新', seq), "
                            "'staff', 'ryn@127.0.0.1' FROM seq_1_to_%1")
                 .arg(historyRows));
    rootExec(QStringLiteral("DROP TABLE IF EXISTS stud_plain"));
    rootExec(QStringLiteral("CREATE TABLE stud_plain LIKE stud"));
    rootExec(QStringLiteral("INSERT INTO stud_plain SELECT * FROM stud"));
    rootExec(QStringLiteral("GRANT DELETE, INSERT, UPDATE ON ryn.stud_plain TO 'ryn'@'127.0.0.1'"));

    Connection c;
    openAsProgram(c);
    c.setAccount(QStringLiteral("bench"));
    auto recorded = students(&c, QStringLiteral("stud"));
    auto plain = students(&c, QStringLiteral("stud_plain"));
    auto recordedWindow = studentWindow(&c, QStringLiteral("stud"));
    auto plainWindow = studentWindow(&c, QStringLiteral("stud_plain"));
    if (recordedWindow->tblStudent->recordCount() < 2)
        qFatal("The students window needs two students");
    // One unmeasured round of each: statements prepared, pages read.
    Pair warm;
    recorded->setRecNo(0);
    plain->setRecNo(0);
    warm.round(
        saves / 10 + 1, 1, [&](int i) { editSave(*recorded, 0, i); }, [&](int i) { editSave(*plain, 0, i); });
    warm.round(
        saves / 10 + 1, 1, [&](int i) { windowSave(*recordedWindow, 0, i); },
        [&](int i) { windowSave(*plainWindow, 0, i); });

    Pair edit, window, add;
    for (int run = 1; run <= o.runs; ++run) {
        // The first student: the new ones of the round before moved the tables on.
        recorded->setRecNo(0);
        plain->setRecNo(0);
        edit.round(
            saves, block, [&](int i) { editSave(*recorded, run, i); }, [&](int i) { editSave(*plain, run, i); });
        window.round(
            saves, block, [&](int i) { windowSave(*recordedWindow, run, i); },
            [&](int i) { windowSave(*plainWindow, run, i); });
        add.round(
            saves, block, [&](int i) { addSave(*recorded, run, i); }, [&](int i) { addSave(*plain, run, i); });
        std::printf("run %d: edit %.3f / %.3f ms, window %.3f / %.3f ms, add %.3f / %.3f ms (with / without the "
                    "history)\n",
                    run, edit.with.back(), edit.without.back(), window.with.back(), window.without.back(),
                    add.with.back(), add.without.back());
        std::fflush(stdout);
    }
    line("history rows before the runs", QString::number(historyRows));
    edit.report("save of an edited name, with the history (ms, median)", "the same save without it (ms, median)",
                "edit: with / without (median of the rounds' ratios; target <= 1.15)");
    window.report("the window's Save of an edited name, with the history (ms, median)",
                  "the same Save without it (ms, median)",
                  "window: with / without (median of the rounds' ratios; target <= 1.15)");
    add.report("save of a new student, with the history (ms, median)", "the same save without it (ms, median)",
               "add: with / without (median of the rounds' ratios; target <= 1.15)");
    const qint64 written = [&] {
        QSqlQuery q(root);
        q.exec(QStringLiteral("SELECT COUNT(*) FROM history WHERE account = 'bench'"));
        return q.next() ? q.value(0).toLongLong() : -1;
    }();
    line("history rows the measured saves wrote", QString::number(written));
    rootExec(QStringLiteral("DROP TABLE stud_plain"));
    rootExec(QStringLiteral("DELETE FROM stud WHERE spkey LIKE 'H%'"));
    return 0;
}
