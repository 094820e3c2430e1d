#ifndef GALLERYTOUR_H
#define GALLERYTOUR_H

#include <functional>
#include <vector>

class QWidget;

// One picture of the tour gallery: its file name (without ".png") and a
// function building the widget to grab, already in the state to show.
struct GalleryTourEntry {
    const char* szName;
    std::function<QWidget*()> build;
};

std::vector<GalleryTourEntry> galleryTourEntries();

#endif // GALLERYTOUR_H
