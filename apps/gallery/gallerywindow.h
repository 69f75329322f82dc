#pragma once

// The gallery's main window: the list of pages on the left, the current
// page on the right.

#include <QList>
#include <QMainWindow>

class GalleryPage;
class QListWidget;
class QStackedWidget;

class GalleryWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit GalleryWindow(QWidget *parent = nullptr);

    void addPage(GalleryPage *page);
    QList<GalleryPage *> pages() const { return m_pages; }
    void showPage(int index);

private:
    QListWidget *m_list;
    QStackedWidget *m_stack;
    QList<GalleryPage *> m_pages;
};
