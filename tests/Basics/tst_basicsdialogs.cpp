// Basics' file dialogs: the pure rules (nearest existing folder, filter
// choice, proposed name) directly, and the dialogs for real, by driving the
// toolkit's own (non-native) file dialog offscreen.

#include <Basics/basics.h>
#include <Basics/basics_dialogs_p.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

const QFileDialog::Options Qt_Dialog = QFileDialog::DontUseNativeDialog;

struct Seen
{
    QString directory;
    QString nameFilter;
    QStringList selectedFiles;
    bool found = false;
};

// Waits for the modal file dialog that the next call opens, notes where it
// started, then lets \a act choose or cancel.
void whenDialogOpens(Seen *seen, std::function<void(QFileDialog *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, seen, act]() {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        seen->found = true;
        seen->directory = dialog->directory().absolutePath();
        seen->nameFilter = dialog->selectedNameFilter();
        seen->selectedFiles = dialog->selectedFiles();
        act(dialog);
    });
    timer->start();
}

// Types the path into the dialog's name field, as a user would, and
// presses Open/Save/Choose.
void choose(QFileDialog *dialog, const QString &path)
{
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(name);
    name->setText(path);
    static_cast<QDialog *>(dialog)->accept(); // QFileDialog::accept() through the public slot
    if (dialog->isVisible()) {
        qWarning("the dialog did not take %s", qPrintable(path));
        dialog->reject();
    }
}

void writeFile(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}

} // namespace

class TestBasicsDialogs : public QObject
{
    Q_OBJECT

private slots:
    void nearestExistingDirectory()
    {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        const QString root = QDir(temp.path()).absolutePath();
        QVERIFY(QDir(root).mkpath("Data"));
        writeFile(root + "/Data/lens.dat");

        using BasicsDialogs::nearestExistingDirectory;
        QCOMPARE(nearestExistingDirectory(QString()), QString());
        QCOMPARE(nearestExistingDirectory(root + "/Data"), root + "/Data");
        QCOMPARE(nearestExistingDirectory(root + "/Data/lens.dat"), root + "/Data");
        QCOMPARE(nearestExistingDirectory(root + "/Data/gone/deeper/x.txt"), root + "/Data");
        QCOMPARE(nearestExistingDirectory(root + "/Missing/lens.dat"), root);
        QCOMPARE(nearestExistingDirectory(QStringLiteral("/")), QStringLiteral("/"));
        QCOMPARE(nearestExistingDirectory(QStringLiteral("/no-such-folder/at/all")),
                 QStringLiteral("/"));
        QCOMPARE(nearestExistingDirectory(QStringLiteral("no-such-relative/file.txt")),
                 QDir::currentPath());
    }

    void openDialogFilterChoice_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("chosen");

        const QString data = "Data files (*.dat);;All files (*)";
        QTest::newRow("suffix matches") << "/Data/lens.dat" << data << "Data files (*.dat)";
        QTest::newRow("case-insensitive") << "/Data/LENS.DAT" << data << "Data files (*.dat)";
        QTest::newRow("last match wins") << "/Data/a.txt"
                                         << "Text (*.txt);;Notes (*.txt *.md);;All (*)"
                                         << "Notes (*.txt *.md)";
        QTest::newRow("no match") << "/Data/a.csv" << data << QString();
        QTest::newRow("no suffix") << "/Data/lens" << data << QString();
        QTest::newRow("empty dir") << "" << data << QString();
        QTest::newRow("empty filter") << "/Data/a.dat" << "" << QString();
    }
    void openDialogFilterChoice()
    {
        QFETCH(QString, dir);
        QFETCH(QString, filter);
        QFETCH(QString, chosen);
        const QString result = BasicsDialogs::openDialogFilter(dir, filter);
        QCOMPARE(result, chosen);
        QCOMPARE(result.isNull(), chosen.isNull());
    }

    void saveDialogProposals_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("selectedFilter"); // null: none given
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("proposed");

        const QString textCsv = "Text (*.txt);;CSV (*.csv)";
        QTest::newRow("suffix picks its entry")
            << "/Out/report.csv" << textCsv << QString() << "CSV (*.csv)" << "/Out/report.csv";
        QTest::newRow("selected entry changes the extension")
            << "/Out/report.csv" << textCsv << "Text (*.txt)" << "Text (*.txt)"
            << "/Out/report.txt";
        QTest::newRow("no suffix: first entry")
            << "/Out/report" << textCsv << QString() << "Text (*.txt)" << "/Out/report.txt";
        QTest::newRow("first suffix match wins")
            << "/Out/a.txt" << "Text (*.txt);;Notes (*.txt *.md)" << QString() << "Text (*.txt)"
            << "/Out/a.txt";
        QTest::newRow("unknown selected entry")
            << "/Out/report.csv" << textCsv << "PDF (*.pdf)" << "CSV (*.csv)"
            << "/Out/report.csv";
        QTest::newRow("selected entry compared exactly")
            << "/Out/report.csv" << textCsv << "text (*.txt)" << "CSV (*.csv)"
            << "/Out/report.csv";
        QTest::newRow("no entry for the suffix")
            << "/Out/report.csv" << "Text (*.txt);;HTML (*.htm)" << QString() << "Text (*.txt)"
            << "/Out/report.txt";
        QTest::newRow("several patterns")
            << "/Out/picture" << "Images (*.png *.jpg)" << QString() << "Images (*.png *.jpg)"
            << "/Out/picture.png *.jpg";
        QTest::newRow("bare pattern") << "/Out/notes" << "*.txt" << QString() << "*.txt"
                                      << "/Out/notes.txt";
        QTest::newRow("trailing dot") << "/Out/report." << textCsv << QString() << "Text (*.txt)"
                                      << "/Out/report.txt";
        QTest::newRow("suffix cut at its last occurrence")
            << "/csv/csv.csv" << textCsv << "Text (*.txt)" << "Text (*.txt)" << "/csv/csv.txt";
        QTest::newRow("entry without a pattern keeps the name")
            << "/Out/report.csv" << "All files (*)" << QString() << "All files (*)"
            << "/Out/report.csv";
        QTest::newRow("empty filter") << "/Out/report.csv" << "" << QString() << "" 
                                      << "/Out/report.csv";
        QTest::newRow("empty dir") << "" << textCsv << QString() << "Text (*.txt)" << "";
    }
    void saveDialogProposals()
    {
        QFETCH(QString, dir);
        QFETCH(QString, filter);
        QFETCH(QString, selectedFilter);
        QFETCH(QString, entry);
        QFETCH(QString, proposed);
        const QString chosen = BasicsDialogs::saveDialogFilter(
            dir, filter, selectedFilter.isNull() ? nullptr : &selectedFilter);
        QCOMPARE(chosen, entry);
        QCOMPARE(BasicsDialogs::proposedSaveName(dir, chosen), proposed);
    }

    void dialogsStartInTheLastDirectory()
    {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        const QString work = QDir(temp.path()).absolutePath() + "/Work";
        QVERIFY(QDir().mkpath(work + "/Sub"));
        writeFile(work + "/Sub/a.txt");
        Basics::setLastDirectory(work);
        QCOMPARE(Basics::getLastDirectory(), work);

        // Cancelled: nothing chosen, the last directory stays.
        Seen seen;
        whenDialogOpens(&seen, [](QFileDialog *dialog) { dialog->reject(); });
        QCOMPARE(Basics::getOpenFileName(nullptr, "Open", QString(), QString(), nullptr, Qt_Dialog),
                 QString());
        QVERIFY(seen.found);
        QCOMPARE(seen.directory, work);
        QCOMPARE(Basics::getLastDirectory(), work);

        seen = Seen();
        whenDialogOpens(&seen, [](QFileDialog *dialog) { dialog->reject(); });
        QCOMPARE(Basics::getExistingDirectory(nullptr, "Folder", QString(),
                                              QFileDialog::ShowDirsOnly | Qt_Dialog),
                 QString());
        QCOMPARE(seen.directory, work);

        seen = Seen();
        whenDialogOpens(&seen, [](QFileDialog *dialog) { dialog->reject(); });
        QCOMPARE(Basics::getSaveFileName(nullptr, "Save", QString(), QString(), nullptr, Qt_Dialog),
                 QString());
        QCOMPARE(seen.directory, work);
        QCOMPARE(Basics::getLastDirectory(), work);

        // Choosing a file remembers its folder ...
        seen = Seen();
        whenDialogOpens(&seen, [&](QFileDialog *dialog) { choose(dialog, work + "/Sub/a.txt"); });
        QCOMPARE(Basics::getOpenFileName(nullptr, "Open", QString(), QString(), nullptr, Qt_Dialog),
                 work + "/Sub/a.txt");
        QCOMPARE(Basics::getLastDirectory(), work + "/Sub");

        // ... choosing a folder remembers the folder above it.
        seen = Seen();
        whenDialogOpens(&seen, [&](QFileDialog *dialog) { choose(dialog, work + "/Sub"); });
        QCOMPARE(Basics::getExistingDirectory(nullptr, "Folder", work,
                                              QFileDialog::ShowDirsOnly | Qt_Dialog),
                 work + "/Sub");
        QCOMPARE(seen.directory, work);
        QCOMPARE(Basics::getLastDirectory(), work);
    }

    void openDialogFindsAnExistingFolderAndFilter()
    {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        const QString root = QDir(temp.path()).absolutePath();
        QVERIFY(QDir().mkpath(root + "/Data"));
        writeFile(root + "/Data/lens.dat");
        const QString filter = "Data files (*.dat);;All files (*)";

        Seen seen;
        whenDialogOpens(&seen, [](QFileDialog *dialog) { dialog->reject(); });
        Basics::getOpenFileName(nullptr, "Open", root + "/Data/lens.dat", filter, nullptr,
                                Qt_Dialog);
        QCOMPARE(seen.directory, root + "/Data");
        QCOMPARE(seen.nameFilter, QStringLiteral("Data files (*.dat)"));

        // The folder is gone: the dialog opens in the one above.
        seen = Seen();
        whenDialogOpens(&seen, [](QFileDialog *dialog) { dialog->reject(); });
        Basics::getOpenFileName(nullptr, "Open", root + "/Gone/lens.dat", filter, nullptr,
                                Qt_Dialog);
        QCOMPARE(seen.directory, root);

        // The caller's selectedFilter is used and receives the choice.
        QString selected = "All files (*)";
        seen = Seen();
        whenDialogOpens(&seen, [&](QFileDialog *dialog) {
            dialog->selectNameFilter("Data files (*.dat)");
            choose(dialog, root + "/Data/lens.dat");
        });
        QCOMPARE(Basics::getOpenFileName(nullptr, "Open", root + "/Data/lens.dat", filter,
                                         &selected, Qt_Dialog),
                 root + "/Data/lens.dat");
        QCOMPARE(seen.nameFilter, QStringLiteral("All files (*)"));
        QCOMPARE(selected, QStringLiteral("Data files (*.dat)"));
        QCOMPARE(Basics::getLastDirectory(), root + "/Data");
    }

    void saveDialogProposesNameAndFilter()
    {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        const QString out = QDir(temp.path()).absolutePath() + "/Out";
        QVERIFY(QDir().mkpath(out));
        const QString filter = "Text (*.txt);;CSV (*.csv)";

        Seen seen;
        whenDialogOpens(&seen, [](QFileDialog *dialog) { dialog->reject(); });
        QString selected = "Text (*.txt)";
        Basics::setLastDirectory(QString());
        QCOMPARE(Basics::getSaveFileName(nullptr, "Save", out + "/report.csv", filter, &selected,
                                         Qt_Dialog),
                 QString());
        QCOMPARE(seen.directory, out);
        QCOMPARE(seen.nameFilter, QStringLiteral("Text (*.txt)"));
        QCOMPARE(seen.selectedFiles, QStringList{out + "/report.txt"});
        QCOMPARE(Basics::getLastDirectory(), QString()); // cancelled

        seen = Seen();
        whenDialogOpens(&seen, [&](QFileDialog *dialog) {
            dialog->selectNameFilter("Text (*.txt)");
            choose(dialog, out + "/result.txt");
        });
        selected.clear();
        QCOMPARE(Basics::getSaveFileName(nullptr, "Save", out + "/report.csv", filter, &selected,
                                         Qt_Dialog),
                 out + "/result.txt");
        QCOMPARE(seen.nameFilter, QStringLiteral("CSV (*.csv)"));
        QCOMPARE(seen.selectedFiles, QStringList{out + "/report.csv"});
        QCOMPARE(selected, QStringLiteral("Text (*.txt)"));
        QCOMPARE(Basics::getLastDirectory(), out);
    }
};

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    TestBasicsDialogs test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_basicsdialogs.moc"
