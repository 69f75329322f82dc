// Dimmer: fades the gallery window out to a chosen opacity and back in.

#include "gallerypage.h"
#include "pages.h"

#include <Widgets/dimmer.h>

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

class DimmerPage : public GalleryPage
{
public:
    DimmerPage() : GalleryPage(QStringLiteral("Dimmer"), QStringLiteral("dimmer"))
    {
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(descriptionLabel(
            tr("Dimmer: fades a window's opacity in 20 ms steps and removes itself. "
               "A new fade replaces a running one."), this));

        auto *form = new QFormLayout;
        m_target = new QDoubleSpinBox(this);
        m_target->setRange(0, 1);
        m_target->setSingleStep(0.1);
        m_target->setValue(0.3);
        form->addRow(tr("Fade out to:"), m_target);
        m_step = new QDoubleSpinBox(this);
        m_step->setDecimals(3);
        m_step->setRange(0.001, 1);
        m_step->setSingleStep(0.01);
        m_step->setValue(0.03);
        form->addRow(tr("Step per tick:"), m_step);
        m_opacity = new QProgressBar(this);
        m_opacity->setRange(0, 255);
        m_opacity->setFormat(tr("window opacity %v/255"));
        form->addRow(tr("Now:"), m_opacity);
        layout->addLayout(form);

        auto *fadeOutIn = new QPushButton(tr("Fade out and back in"), this);
        connect(fadeOutIn, &QPushButton::clicked, this, &DimmerPage::fadeOutAndIn);
        layout->addWidget(fadeOutIn);
        auto *fadeIn = new QPushButton(tr("Fade in from 0"), this);
        connect(fadeIn, &QPushButton::clicked, this, [this] {
            Dimmer::startDimming(window(), 1.0, m_step->value(), 0.0);
        });
        layout->addWidget(fadeIn);
        layout->addStretch();

        connect(&m_poll, &QTimer::timeout, this, [this] {
            m_opacity->setValue(qRound(window()->windowOpacity() * 255));
        });
        m_poll.start(40);
    }

private:
    void fadeOutAndIn()
    {
        const double target = m_target->value();
        const double step = m_step->value();
        QWidget *window = this->window();
        Dimmer *out = Dimmer::startDimming(window, target, step, 1.0);
        // Back in once the fade-out has reached its target and deleted
        // itself; a fade-out replaced half-way leaves the window alone. Queued,
        // so that the new fade never starts inside another startDimming().
        connect(out, &QObject::destroyed, window, [window, target, step] {
            if (qAbs(window->windowOpacity() - target) < 1.0 / 255)
                Dimmer::startDimming(window, 1.0, step, -1);
        }, Qt::QueuedConnection);
    }

    QDoubleSpinBox *m_target;
    QDoubleSpinBox *m_step;
    QProgressBar *m_opacity;
    QTimer m_poll;
};

} // namespace

GalleryPage *createDimmerPage()
{
    return new DimmerPage;
}
