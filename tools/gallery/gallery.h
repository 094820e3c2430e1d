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

// Every entry, in the order the pictures are written. Views add their rows here.
std::vector<GalleryEntry> galleryEntries();

#endif // GALLERY_H
