#ifndef GALLERY_H
#define GALLERY_H

#include <functional>
#include <vector>

class QWidget;

// One picture of the gallery: the file name (without ".png") and a function that
// builds the widget to grab, already in the state to show. The gallery grabs
// the returned widget and deletes it.
struct GalleryEntry {
    const char* szName;
    std::function<QWidget*()> build;
};

// Every entry, in the order the pictures are written: the shared widgets first,
// then each view's group.
std::vector<GalleryEntry> galleryEntries();

// A view's pictures live in a gallery file of their own (gallery<view>.cpp),
// which registers them at start-up:
//   static const bool registered = galleryAddGroup("output", outputEntries);
// Groups are written in the order of their names.
bool galleryAddGroup(const char* szGroup, std::vector<GalleryEntry> (*entries)());

#endif // GALLERY_H
