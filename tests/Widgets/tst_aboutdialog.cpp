// AboutDialog: rows in order, fields as wide as their texts (17 "x" being
// the line edit's own width), a fixed height, and odd input.

#include <Widgets/aboutdialog.h>

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QtTest>

using Rows = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(Rows)

class tst_AboutDialog : public QObject
{
    Q_OBJECT

private slots:
    void rows_data()
    {
        QTest::addColumn<Rows>("rows");

        QTest::newRow("three pairs") << Rows{{"Version", "3.2.1"},
                                             {"Built", "2024-05-07 14:03 with GCC 12.2"},
                                             {"Qt", "5.15.8"}};
        QTest::newRow("no rows") << Rows{};
        QTest::newRow("empty labels and texts") << Rows{{"", "unlabelled"}, {"Empty", ""}, {"", ""}};
        QTest::newRow("very long text") << Rows{{"Licence", QString(100000, QLatin1Char('W'))},
                                                {"Path", QStringLiteral("/opt/tools/") + QString(5000, QLatin1Char('a'))}};
    }

    void rows()
    {
        QFETCH(Rows, rows);

        AboutDialog dialog(rows);
        QCOMPARE(dialog.objectName(), QStringLiteral("AboutDialog"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("About"));
        auto *form = dialog.findChild<QFormLayout *>(QStringLiteral("formLayout"));
        QVERIFY(form && dialog.layout() == form);
        QCOMPARE(form->rowCount(), rows.size());

        for (int i = 0; i < rows.size(); ++i) {
            auto *field = qobject_cast<QLineEdit *>(form->itemAt(i, QFormLayout::FieldRole)->widget());
            QVERIFY(field && field->isReadOnly());
            QCOMPARE(field->text(), rows[i].second);
            QLayoutItem *labelItem = form->itemAt(i, QFormLayout::LabelRole);
            const auto *label = labelItem ? qobject_cast<QLabel *>(labelItem->widget()) : nullptr;
            QCOMPARE(label ? label->text() : QString(), rows[i].first);
        }

        // Fixed height, resizable width; a window no wider than the screen
        // even for very long texts.
        QCOMPARE(dialog.minimumHeight(), dialog.height());
        QCOMPARE(dialog.maximumHeight(), dialog.height());
        QCOMPARE(dialog.maximumWidth(), QWIDGETSIZE_MAX);
        QVERIFY(dialog.width() <= dialog.screen()->availableGeometry().width());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }

    void fieldWidthFollowsText()
    {
        const QString seventeen(17, QLatin1Char('x'));
        const QString shortText = QStringLiteral("1.0");
        const QString longText = QStringLiteral("Built 2024-05-07 14:03 with GCC 12.2 for x86_64 Linux");
        AboutDialog dialog(Rows{{"a", seventeen}, {"b", shortText}, {"c", longText}});
        auto *form = dialog.findChild<QFormLayout *>(QStringLiteral("formLayout"));
        const auto hintOf = [form](int row) {
            return form->itemAt(row, QFormLayout::FieldRole)->widget()->sizeHint();
        };

        // Seventeen "x": the toolkit's own preferred size (a string's width may
        // round one pixel off seventeen glyph widths).
        QLineEdit plain;
        QVERIFY(qAbs(hintOf(0).width() - plain.sizeHint().width()) <= 1);
        QCOMPARE(hintOf(0).height(), plain.sizeHint().height());

        // Otherwise narrower or wider with the text.
        QVERIFY(hintOf(1).width() < hintOf(0).width() && hintOf(2).width() > hintOf(0).width() + 100);

        // The dialog opens wide enough for its longest text.
        const auto *longField = form->itemAt(2, QFormLayout::FieldRole)->widget();
        QVERIFY(longField->width() >= hintOf(2).width());
    }
};

QTEST_MAIN(tst_AboutDialog)
#include "tst_aboutdialog.moc"
