// Checks a screenshot of the directing panel for its three areas: the output
// view (not blank) above the record setting strip (a #F2F2F2 band with its
// #C8C8C8 bottom border) above the row of camera thumbnails (frames side by
// side, showing pictures). Areas are found by scanning, not at fixed pixels.
// Usage: vel-panel-shot-check PNG [MIN_THUMBNAILS]; exit code 0 when it holds.
#include <QCoreApplication>
#include <QImage>

#include <cmath>
#include <cstdio>

namespace
{

bool near(QRgb pixel, int nGrey, int nTolerance)
{
    return std::abs(qRed(pixel) - nGrey) <= nTolerance &&
           std::abs(qGreen(pixel) - nGrey) <= nTolerance &&
           std::abs(qBlue(pixel) - nGrey) <= nTolerance;
}

double rowShare(const QImage& image, int y, int nGrey, int nTolerance)
{
    int n = 0;
    for (int x = 0; x < image.width(); ++x)
        n += near(image.pixel(x, y), nGrey, nTolerance);
    return double(n) / image.width();
}

// Standard deviation of the luma over a rectangle, sampled every other pixel.
double lumaDeviation(const QImage& image, const QRect& rect)
{
    double sum = 0, squares = 0;
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); y += 2) {
        for (int x = rect.left(); x <= rect.right(); x += 2) {
            const double luma = qGray(image.pixel(x, y));
            sum += luma;
            squares += luma * luma;
            ++n;
        }
    }
    if (n == 0)
        return 0;
    const double mean = sum / n;
    return std::sqrt(qMax(0.0, squares / n - mean * mean));
}

int fail(const char* szWhat)
{
    std::fprintf(stderr, "panel screenshot: %s\n", szWhat);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv); // no windows: PNG reading needs no platform
    if (argc < 2)
        return fail("usage: vel-panel-shot-check PNG [MIN_THUMBNAILS]");
    const int nMinThumbnails = argc > 2 ? std::atoi(argv[2]) : 4;
    const QImage image =
        QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return fail("cannot read the PNG");

    // The strip: the longest run of rows that are mostly the panel grey.
    int nBandTop = -1, nBandHeight = 0;
    for (int y = 0, nRun = 0; y < image.height(); ++y) {
        // Its buttons and labels cover up to about half of a row.
        nRun = rowShare(image, y, 0xF2, 2) >= 0.35 ? nRun + 1 : 0;
        if (nRun > nBandHeight) {
            nBandHeight = nRun;
            nBandTop = y - nRun + 1;
        }
    }
    std::printf("strip band: rows %d..%d\n", nBandTop, nBandTop + nBandHeight - 1);
    if (nBandHeight < 40 || nBandHeight > 130)
        return fail("no strip: no band of #F2F2F2 rows 40 to 130 pixels high");
    const int nBandBottom = nBandTop + nBandHeight;
    int nBorder = -1;
    for (int y = nBandBottom; y < qMin(image.height(), nBandBottom + 12) && nBorder < 0; ++y) {
        if (rowShare(image, y, 0xC8, 8) >= 0.5)
            nBorder = y;
    }
    if (nBorder < 0)
        return fail("the strip has no #C8C8C8 bottom border");
    std::printf("strip border: row %d\n", nBorder);

    // The output view: everything above the strip, within the side margins.
    if (nBandTop < 100)
        return fail("no output view above the strip");
    const QRect output(12, 0, image.width() - 24, nBandTop - 1);
    const double outputDeviation = lumaDeviation(image, output);
    std::printf("output view: luma deviation %.1f\n", outputDeviation);
    if (outputDeviation < 30)
        return fail("the output view is blank");

    // The thumbnails: below the border, a row of white title bars side by
    // side (the row with the most white), each over a picture.
    const int nRowTop = nBorder + 4;
    const int nRowBottom = image.height() - 1;
    if (nRowBottom - nRowTop < 40)
        return fail("no room for the thumbnail row below the strip");
    int nTitleRow = nRowTop;
    for (int y = nRowTop; y < nRowBottom - 20; ++y) {
        if (rowShare(image, y, 0xFF, 8) > rowShare(image, nTitleRow, 0xFF, 8))
            nTitleRow = y;
    }
    // Below the title bar, clear of its text.
    const int nPictureTop = qMin(nRowBottom, nTitleRow + 20);
    int nFrames = 0, nPictures = 0;
    int nStart = -1;
    for (int x = 0; x <= image.width(); ++x) {
        const bool bWhite = x < image.width() && near(image.pixel(x, nTitleRow), 0xFF, 8);
        if (bWhite && nStart < 0)
            nStart = x;
        if (!bWhite && nStart >= 0) {
            // The stretch of title bar after the camera's name.
            if (x - nStart >= 60) {
                ++nFrames;
                const QRect picture(nStart, nPictureTop, x - nStart, nRowBottom - nPictureTop);
                nPictures += lumaDeviation(image, picture) >= 30;
            }
            nStart = -1;
        }
    }
    std::printf("thumbnails: %d frames, %d with a picture\n", nFrames, nPictures);
    if (nFrames < nMinThumbnails)
        return fail("too few thumbnail frames below the strip");
    if (nPictures < nMinThumbnails)
        return fail("thumbnails without pictures");
    return 0;
}
