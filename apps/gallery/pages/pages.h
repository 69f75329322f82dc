#pragma once

// The gallery's pages, one per GUI piece of the library.

class GalleryPage;
class QString;

GalleryPage *createColorPage();
GalleryPage *createIconsPage();
GalleryPage *createDpiPage();
GalleryPage *createHelpersPage();
GalleryPage *createStatusMessagesPage();
GalleryPage *createDimmerPage();
GalleryPage *createVideoPage(const QString &clip);
GalleryPage *createAboutPage();
