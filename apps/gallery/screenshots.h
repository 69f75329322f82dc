#pragma once

// The screenshot run: visits every page of the gallery, waits until it is
// ready, and saves the window as DIR/<nn>-<page>.png.

#include <QString>

class GalleryWindow;

/// Returns the process exit code: 0 when every page was saved, 1 otherwise
/// (with one line per failure on stderr).
int takeScreenshots(GalleryWindow &window, const QString &directory);
