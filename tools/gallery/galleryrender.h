#ifndef GALLERYRENDER_H
#define GALLERYRENDER_H

#include <QString>

#include <functional>
#include <vector>

class QWidget;

// One picture of a gallery program: its file name and the widget to grab.
struct GalleryPicture {
    QString strName;
    std::function<QWidget*()> build;
};

// The body of a gallery program: "szProgram --out DIR [--only NAME]" renders
// each picture (or the one named) to DIR/NAME.png, headless unless a platform
// is set. initResources runs once the application exists, pictures after it.
int galleryRenderMain(int argc, char* argv[], const char* szProgram, void (*initResources)(),
                      const std::function<std::vector<GalleryPicture>()>& pictures);

#endif // GALLERYRENDER_H
