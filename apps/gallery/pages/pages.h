#pragma once

// The gallery's pages, one per GUI piece of the library.

class GalleryPage;
class QString;

GalleryPage *createStatusMessagesPage();
GalleryPage *createDimmerPage();
GalleryPage *createVideoPage(const QString &clip);
GalleryPage *createAboutPage();
