#pragma once

// File dialogs of Basics that start in the folder the user last chose
// something in (remembered for the process, not persisted).
//
//     QString file = Basics::getOpenFileName(this, tr("Open lens"), QString(),
//                                            "Lens files (*.lens)");
//
// Call them as Basics::name(); this holder only groups the declarations.

#include <basicsdll_export.h>

#include <QFileDialog>
#include <QString>

class QWidget;

/// File dialogs that remember the last folder; call them as Basics::name().
struct BASICSDLL_EXPORT BasicsFileDialogs
{
    BasicsFileDialogs() = delete;

    /// The folder where the user last chose something in one of the dialogs
    /// below; null at load, not persisted.
    static QString getLastDirectory();
    /// Sets the folder the next dialog starts in.
    static void setLastDirectory(QString dir);
    /// A folder chosen by the user, or an empty text when cancelled.
    static QString getExistingDirectory(QWidget *parent = nullptr,
                                        const QString &caption = QString(),
                                        const QString &dir = QString(),
                                        QFileDialog::Options options = QFileDialog::ShowDirsOnly);
    /// A file to open chosen by the user, or an empty text when cancelled.
    static QString getOpenFileName(QWidget *parent = nullptr, const QString &caption = QString(),
                                   const QString &dir = QString(),
                                   const QString &filter = QString(),
                                   QString *selectedFilter = nullptr,
                                   QFileDialog::Options options = QFileDialog::Options());
    /// A file to save chosen by the user, its suffix taken from the chosen
    /// filter when it has none; an empty text when cancelled.
    static QString getSaveFileName(QWidget *parent = nullptr, const QString &caption = QString(),
                                   const QString &dir = QString(),
                                   const QString &filter = QString(),
                                   QString *selectedFilter = nullptr,
                                   QFileDialog::Options options = QFileDialog::Options());
};
