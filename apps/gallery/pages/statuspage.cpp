// Status messages: one button per message type, the sound level, and a
// status display that shows each message on its type's colour. The seven
// embedded sounds fill the center's sound slots, so every type that the
// level allows is heard.

#include "gallerypage.h"
#include "pages.h"

#include <StatusMessageCenter/statusmessagecenter.h>

#include <phonon/audiooutput.h>
#include <phonon/mediaobject.h>
#include <phonon/path.h>

#include <QComboBox>
#include <QFile>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

namespace {

struct TypeInfo
{
    StatusMessageCenter::Type type;
    const char *name;  // also the embedded sound's name
    const char *label;
    const char *message;
};

const TypeInfo types[] = {
    {StatusMessageCenter::Normal, "normal", "Normal", "Ray trace finished"},
    {StatusMessageCenter::Warning, "warning", "Warning", "Surface 4: aperture clips the beam"},
    {StatusMessageCenter::Error, "error", "Error", "Lens file could not be read"},
    {StatusMessageCenter::Success, "success", "Success", "Optimisation converged"},
    {StatusMessageCenter::Share, "share", "Share", "Design shared with the tolerancing tool"},
    {StatusMessageCenter::Data, "data", "Data", "Glass catalogue updated"},
    {StatusMessageCenter::Snapshot, "snapshot", "Snapshot", "Snapshot of the layout saved"},
};

class StatusMessagesPage : public GalleryPage
{
public:
    StatusMessagesPage() : GalleryPage(QStringLiteral("Status messages"), QStringLiteral("status-messages"))
    {
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(descriptionLabel(
            tr("StatusMessageCenter: typed messages with a colour and a sound. "
               "The library's seven embedded sounds sit in the center's sound slots here."), this));

        auto *buttons = new QGridLayout;
        int index = 0;
        for (const TypeInfo &info : types) {
            auto *button = new QPushButton(QString::fromLatin1(info.label), this);
            connect(button, &QPushButton::clicked, this, [info] {
                StatusMessageCenter::showMessage(info.type, QString::fromLatin1(info.message), 4000);
            });
            buttons->addWidget(button, index / 4, index % 4);
            ++index;
        }
        layout->addLayout(buttons);

        auto *form = new QFormLayout;
        auto *level = new QComboBox(this);
        level->addItem(tr("No sounds"), StatusMessageCenter::NoSounds);
        level->addItem(tr("Warnings and errors"), StatusMessageCenter::WarningAndErrorSounds);
        level->addItem(tr("All sounds"), StatusMessageCenter::AllSounds);
        level->setCurrentIndex(level->findData(StatusMessageCenter::sounds()));
        connect(level, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [level](int) {
            StatusMessageCenter::setSounds(StatusMessageCenter::Sounds(level->currentData().toInt()));
        });
        form->addRow(tr("Sound level:"), level);
        layout->addLayout(form);

        m_display = new QLabel(this);
        m_display->setMinimumHeight(32);
        m_display->setFrameShape(QFrame::StyledPanel);
        m_display->setMargin(6);
        layout->addWidget(m_display);
        layout->addStretch();

        m_clear.setSingleShot(true);
        connect(&m_clear, &QTimer::timeout, this, &StatusMessagesPage::clearDisplay);
        StatusMessageCenter *center = StatusMessageCenter::getInstance();
        connect(center, &StatusMessageCenter::onShowMessage, this, &StatusMessagesPage::showOnDisplay);
        connect(center, &StatusMessageCenter::onClearMessage, this, &StatusMessagesPage::clearDisplay);
        fillSoundSlots(center);
    }

    void prepareScreenshot() override
    {
        StatusMessageCenter::showMessage(StatusMessageCenter::Warning,
                                         QString::fromLatin1(types[1].message), 0);
    }

private:
    void fillSoundSlots(StatusMessageCenter *center)
    {
        // Phonon plays files, not resources: the sounds are copied out.
        for (const TypeInfo &info : types) {
            const QString copy = m_sounds.filePath(QString::fromLatin1(info.name) + QStringLiteral(".mp3"));
            if (!QFile::copy(QStringLiteral(":/Sounds/") + QString::fromLatin1(info.name), copy))
                continue;
            auto *media = new Phonon::MediaObject(this);
            auto *output = new Phonon::AudioOutput(Phonon::NotificationCategory, this);
            Phonon::createPath(media, output);
            media->setCurrentSource(QUrl::fromLocalFile(copy));
            center->setSoundObject(info.type, media);
        }
    }

    void showOnDisplay(const QString &message, const QColor &color, int timeout)
    {
        m_display->setText(message);
        m_display->setStyleSheet(color.isValid()
                                     ? QStringLiteral("background-color: %1;").arg(color.name())
                                     : QString());
        if (timeout > 0)
            m_clear.start(timeout);
        else
            m_clear.stop();
    }

    void clearDisplay()
    {
        m_display->clear();
        m_display->setStyleSheet(QString());
    }

    QLabel *m_display;
    QTimer m_clear;
    QTemporaryDir m_sounds;
};

} // namespace

GalleryPage *createStatusMessagesPage()
{
    return new StatusMessagesPage;
}
