#pragma once

// One page of the gallery: a widget that shows one GUI piece of the library.

#include <QLabel>
#include <QString>
#include <QWidget>

class GalleryPage : public QWidget
{
    Q_OBJECT

public:
    GalleryPage(const QString &title, const QString &fileName, QWidget *parent = nullptr)
        : QWidget(parent), m_title(title), m_fileName(fileName)
    {
    }

    /// The page's name in the gallery's list.
    QString title() const { return m_title; }
    /// The base name of the page's screenshot ("status-messages").
    QString fileName() const { return m_fileName; }

    /// Called when the page becomes the current one.
    virtual void activate() {}
    /// For the screenshot run: true once the page shows what its picture
    /// should show (asked repeatedly while the event loop runs).
    virtual bool readyForScreenshot() { return true; }
    /// For the screenshot run: puts the page into the state its picture
    /// shows (a message on display, a dialog filled in, ...).
    virtual void prepareScreenshot() {}

private:
    QString m_title;
    QString m_fileName;
};

/// The line of text on top of a page that says what it shows.
inline QLabel *descriptionLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}
