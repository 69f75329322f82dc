#include "gallerywindow.h"

#include "gallerypage.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QStackedWidget>

GalleryWindow::GalleryWindow(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(tr("BasicsDLL gallery"));
    auto *central = new QWidget(this);
    auto *layout = new QHBoxLayout(central);
    m_list = new QListWidget(central);
    m_list->setMaximumWidth(180);
    m_stack = new QStackedWidget(central);
    layout->addWidget(m_list);
    layout->addWidget(m_stack, 1);
    setCentralWidget(central);
    connect(m_list, &QListWidget::currentRowChanged, this, &GalleryWindow::showPage);
}

void GalleryWindow::addPage(GalleryPage *page)
{
    m_pages << page;
    m_stack->addWidget(page);
    m_list->addItem(page->title());
}

void GalleryWindow::showPage(int index)
{
    if (index < 0 || index >= m_pages.size())
        return;
    if (m_list->currentRow() != index)
        m_list->setCurrentRow(index); // comes back here through the signal
    m_stack->setCurrentIndex(index);
    m_pages[index]->activate();
}
