// vel-gallery-tour --out DIR [--only NAME]: renders the tour views to DIR/NAME.png.

#include "galleryrender.h"
#include "gallerytour.h"

static void initResources()
{
    Q_INIT_RESOURCE(vimbrel);
}

int main(int argc, char* argv[])
{
    return galleryRenderMain(argc, argv, "vel-gallery-tour", initResources, [] {
        std::vector<GalleryPicture> pictures;
        for (const GalleryTourEntry& entry : galleryTourEntries())
            pictures.push_back({QLatin1String(entry.szName), entry.build});
        return pictures;
    });
}
