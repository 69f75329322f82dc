#pragma once

// AboutDialog: a dialog titled "About" that lists label/value pairs in
// read-only text fields.
//
//     AboutDialog about({{"Version", "3.2.1"}, {"Built", "2024-05-07"}}, mainWindow);
//     about.exec();
//
// Rows appear in the given order, the first string of a pair as the row
// label, the second in a read-only line edit whose preferred width is that
// of its text (instead of the line edit's usual room for 17 characters),
// so the dialog opens as wide as its longest text needs, within the limits
// the toolkit puts on a window's initial size. The height is fixed to what
// the rows need; the width stays resizable.
//
// An empty list gives an empty dialog; empty labels and texts are shown as
// they are. Texts of any length are accepted: a field's preferred width
// stops at the toolkit's largest widget size, and the text scrolls inside
// its field.

#include <basicsdll_export.h>

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>

namespace Ui {
class AboutDialog;
}

/// The library's about dialog; see the file comment.
class BASICSDLL_EXPORT AboutDialog : public QDialog
{
    Q_OBJECT

public:
    /// Builds the dialog with one row per pair (label, text), in order.
    explicit AboutDialog(const QList<QPair<QString, QString>> &rows, QWidget *parent = nullptr);
    ~AboutDialog() override;

private:
    Ui::AboutDialog *ui;
};
