// vel-gallery --out DIR [--only NAME]: renders every gallery entry to DIR/NAME.png.

#include "gallery.h"
#include "galleryrender.h"

// Outside any namespace: the macros declare the lists' init functions.
static void initResources()
{
    Q_INIT_RESOURCE(tessaro);
    Q_INIT_RESOURCE(vimbrel);
}

int main(int argc, char* argv[])
{
    return galleryRenderMain(argc, argv, "vel-gallery", initResources, [] {
        std::vector<GalleryPicture> pictures;
        for (const GalleryEntry& entry : galleryEntries())
            pictures.push_back({QLatin1String(entry.szName), entry.build});
        return pictures;
    });
}
