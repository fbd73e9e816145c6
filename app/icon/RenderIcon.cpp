// Renders the application icon's one vector drawing to PNG files of the sizes the build asks for:
// the Mac's icon set, the Linux desktop's sizes. Each file is read back before it counts.
//
//   orvane_render_icon SOURCE.svg OUTPUT.png SIZE [OUTPUT.png SIZE]...

#include <cstdio>

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

namespace {

constexpr int largestSize = 4096;

int fail(const QString& message) {
    std::fprintf(stderr, "orvane_render_icon: %s\n", qPrintable(message));
    return 1;
}

bool render(QSvgRenderer& drawing, const QString& output, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        drawing.render(&painter, QRectF(0, 0, size, size));
    }
    if (!image.save(output, "PNG")) {
        return false;
    }
    const QImage written(output, "PNG");
    return written.width() == size && written.height() == size;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4 || argc % 2 != 0) {
        return fail("usage: orvane_render_icon SOURCE.svg OUTPUT.png SIZE [OUTPUT.png SIZE]...");
    }
    QSvgRenderer drawing(QString::fromLocal8Bit(argv[1]));
    if (!drawing.isValid()) {
        return fail(QString("%1 is not a drawing Qt can read").arg(argv[1]));
    }
    // A drawing that is not square would come out squeezed.
    if (drawing.viewBoxF().width() != drawing.viewBoxF().height()) {
        return fail(QString("%1 is not square").arg(argv[1]));
    }
    for (int i = 2; i < argc; i += 2) {
        const QString output = QString::fromLocal8Bit(argv[i]);
        bool number = false;
        const int size = QByteArray(argv[i + 1]).toInt(&number);
        if (!number || size < 1 || size > largestSize) {
            return fail(
                QString("'%1' is not a size from 1 to %2").arg(argv[i + 1]).arg(largestSize));
        }
        if (!render(drawing, output, size)) {
            return fail(QString("could not write %1").arg(output));
        }
    }
    return 0;
}
