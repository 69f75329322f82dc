// Widget helpers: makeVisible on a field on a hidden tab, disable/enable of
// a form's controls, a decorated splitter, and a non-blocking message box.

#include "gallerypage.h"
#include "pages.h"

#include <Basics/basics.h>

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

class HelpersPage : public GalleryPage
{
public:
    HelpersPage() : GalleryPage(QStringLiteral("Widget helpers"), QStringLiteral("widget-helpers"))
    {
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(descriptionLabel(
            tr("Widget helpers: makeVisible switches containers to a hidden widget; disable "
               "locks exactly the controls it changed and enable restores them; a splitter "
               "handle with grip lines; showMessage opens a message box without waiting."), this));

        // makeVisible: a field on the second tab.
        auto *tabs = new QTabWidget(this);
        tabs->addTab(new QLabel(tr("First page"), tabs), tr("Surfaces"));
        auto *second = new QWidget(tabs);
        auto *secondLayout = new QFormLayout(second);
        m_hidden = new QLineEdit(QStringLiteral("BK7"), second);
        secondLayout->addRow(tr("Glass:"), m_hidden);
        tabs->addTab(second, tr("Materials"));
        auto *show = new QPushButton(tr("makeVisible(glass field)"), this);
        connect(show, &QPushButton::clicked, this, [this] {
            Basics::makeVisible(m_hidden);
            m_hidden->setFocus();
        });

        // disable / enable.
        m_form = new QWidget(this);
        auto *formLayout = new QFormLayout(m_form);
        auto *radius = new QSpinBox(m_form);
        radius->setRange(-1000, 1000);
        radius->setValue(52);
        formLayout->addRow(tr("Radius:"), radius);
        auto *alreadyOff = new QPushButton(tr("Was disabled before"), m_form);
        alreadyOff->setEnabled(false);
        formLayout->addRow(alreadyOff);
        formLayout->addRow(new QPushButton(tr("Optimise"), m_form));
        m_toggle = new QPushButton(tr("disable(form)"), this);
        connect(m_toggle, &QPushButton::clicked, this, &HelpersPage::toggleForm);

        // A splitter with three grip lines on its handle.
        auto *splitter = new QSplitter(Qt::Horizontal, this);
        splitter->addWidget(new QTextEdit(tr("Lens data"), splitter));
        splitter->addWidget(new QTextEdit(tr("Layout"), splitter));
        Basics::decorateSplitterHandle(splitter, 1, 3);

        auto *message = new QPushButton(tr("showMessage"), this);
        connect(message, &QPushButton::clicked, this, [this] {
            Basics::showMessage(this, QMessageBox::Information, tr("Gallery"),
                                tr("A message box that does not block."), false, {}, {});
        });

        auto *buttons = new QHBoxLayout;
        buttons->addWidget(show);
        buttons->addWidget(m_toggle);
        buttons->addWidget(message);
        buttons->addStretch();
        auto *top = new QHBoxLayout;
        top->addWidget(tabs, 1);
        top->addWidget(m_form, 1);
        layout->addLayout(top);
        layout->addLayout(buttons);
        layout->addWidget(splitter, 1);
    }

    // The picture shows the hidden field brought forward and the form
    // locked.
    void prepareScreenshot() override
    {
        Basics::makeVisible(m_hidden);
        if (m_disabled.isEmpty())
            toggleForm();
    }

private:
    void toggleForm()
    {
        if (m_disabled.isEmpty()) {
            m_disabled = Basics::disable(m_form, {}, false);
            m_toggle->setText(tr("enable(the %1 locked)").arg(m_disabled.size()));
        } else {
            Basics::enable(m_disabled);
            m_disabled.clear();
            m_toggle->setText(tr("disable(form)"));
        }
    }

    QLineEdit *m_hidden;
    QWidget *m_form;
    QPushButton *m_toggle;
    QList<QWidget *> m_disabled;
};

} // namespace

GalleryPage *createHelpersPage()
{
    return new HelpersPage;
}
