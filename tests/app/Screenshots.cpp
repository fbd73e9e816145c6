// Renders the popover in its main states, and the terms window, to PNG files for a person to look
// at, and checks on the way what a person would see wrong in them: a divider line that does not
// show at the scale factor given, or, on a screen of the size given, a popover with every section
// open that leaves the screen, covers the status icon or loses its top rows or Quit.
//   orvane_screenshots [--scale=FACTOR] [--screen=WIDTHxHEIGHT] [folder]
// Runs offscreen, on the model's fakes; exits with 1 when a check fails.

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include "app/popover/ClickableRow.h"
#include "app/popover/ContentView.h"
#include "app/shell/PopoverWindow.h"
#include "app/shell/TermsWindow.h"
#include "app/shell/UpdaterSettingsView.h"
#include "platform/sim/DirectoryBundle.h"
#include "tests/app/ShellFakes.h"
#include "tests/limit/LimitFakes.h"

using namespace orvane;
using namespace orvane::test;

namespace {

struct Shot {
    const char* name;
    std::uint64_t memory;
    std::function<void(ModelHarness&)> before = [](ModelHarness&) {}; // the machine and settings
    std::function<void(ContentView&)> after = [](ContentView&) {};    // what the user did
};

// The offscreen platform, with one screen of the size asked for ("1280x800"), described in the
// folder.
QByteArray offscreenPlatform(const QByteArray& screen, const QDir& folder) {
    const QList<QByteArray> sides = screen.split('x');
    QFile file(folder.absoluteFilePath("screen.json"));
    if (sides.size() != 2 || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return "offscreen";
    }
    file.write(R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": )" + sides[0] +
               R"(, "height": )" + sides[1] + R"(, "logicalDpi": 96, "logicalBaseDpi": 96}]})");
    return "offscreen:configfile=" + file.fileName().toLocal8Bit();
}

QStringList failures;

void fail(const char* shot, const QString& what) {
    failures << QString("%1: %2").arg(shot, what);
}

// Every divider the widget shows must show in its picture: most of one device pixel row in its
// place differs from the background a few points above it.
void checkDividers(QWidget& widget, const QImage& image, const char* shot) {
    const double ratio = image.devicePixelRatio();
    const auto pixels = [ratio](double points) { return static_cast<int>(points * ratio); };
    for (QWidget* divider : widget.findChildren<QWidget*>("divider")) {
        const QRect place(divider->mapTo(&widget, QPoint()), divider->size());
        const int from = pixels(place.left() + 4);
        const int to = std::min(image.width(), pixels(place.right() - 4));
        const auto standsOut = [&](int row) {
            int differing = 0;
            for (int x = from; x < to; ++x) {
                const QRgb a = image.pixel(x, row);
                const QRgb b = image.pixel(x, pixels(place.top() - 4));
                const int difference = std::abs(qRed(a) - qRed(b)) +
                                       std::abs(qGreen(a) - qGreen(b)) +
                                       std::abs(qBlue(a) - qBlue(b));
                differing += difference > 30 ? 1 : 0;
            }
            return 2 * differing > to - from;
        };
        bool shows = false;
        for (int row = pixels(place.top()); row <= pixels(place.bottom() + 1); ++row) {
            shows = shows || (row < image.height() && standsOut(row));
        }
        if (divider->isVisibleTo(&widget) && !shows) {
            fail(shot, QString("the divider at y %1 does not show at scale %2")
                           .arg(place.top())
                           .arg(ratio));
        }
    }
}

QImage save(QWidget& widget, const QDir& folder, const char* name) {
    QTest::qWait(400); // animations (the More Settings disclosure) finish first
    widget.adjustSize();
    const QString path = folder.filePath(QString(name) + ".png");
    const QImage image = widget.grab().toImage();
    image.save(path);
    std::printf("%s\n", path.toLocal8Bit().constData());
    return image;
}

// Clicks the named rows and buttons, in order.
std::function<void(ContentView&)> clicking(std::vector<const char*> names) {
    return [names](ContentView& view) {
        for (const char* name : names) {
            auto* row = view.findChild<ClickableRow*>(name);
            row ? row->click() : view.findChild<QPushButton*>(name)->click();
        }
    };
}

ContentViewHost makeHost(FakeUpdater& updater) {
    ContentViewHost host;
    host.moreSettings.makeUpdaterSettingsView = [&updater] {
        return new UpdaterSettingsView(updater);
    };
    host.moreSettings.version = "2.3.0";
    return host;
}

// The most presets, the helper registered and awaiting approval (its hint shows), fun mode and a
// custom limit (the keep caption shows).
void everySection(ModelHarness& harness) {
    harness.memory.set(gigabytes(64));
    harness.service.current = 2;
    harness.defaults.setBool("enableFunMode", true);
    harness.kernel.value = 58 * 1024;
}

// The tallest popover there is, under an icon in a menu bar at the top of the screen: every
// section, the offer in the status area, and More Settings open with the update settings. It stays
// on the screen, clear of the icon, with its title and Quit in sight; what does not fit scrolls
// inside More Settings.
void checkEverySectionFits(FakeUpdater& updater, const QDir& folder, const QByteArray& screen) {
    const QByteArray name = "10-every-section-" + screen;
    const char* shot = name.constData();
    ModelHarness harness;
    everySection(harness);
    PopoverWindow popover;
    auto* view = new ContentView(harness.makeModel(&harness.icon), makeHost(updater));
    popover.setContent(view);
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const ScreenRect button{available.right() - 300, available.top(), 24, 24};
    popover.showRelativeTo(button);
    clicking({"presetRow1", "moreSettingsRow", "changeUpdateSettings"})(*view);
    const QImage image = save(popover, folder, shot);

    const QRect frame = popover.frameGeometry();
    if (!available.contains(frame)) {
        fail(shot, QString("the popover (%1 tall at y %2) leaves the screen")
                       .arg(frame.height())
                       .arg(frame.y()));
    }
    if (frame.intersects(QRect(button.x, button.y, button.width, button.height))) {
        fail(shot, "the popover covers the status icon");
    }
    for (const char* always : {"title", "ramAllocationCaption", "quit"}) {
        const QWidget* widget = popover.findChild<QWidget*>(always);
        if (!widget || !widget->isVisible() ||
            !popover.rect().contains(QRect(widget->mapTo(&popover, QPoint()), widget->size()))) {
            fail(shot, QString("%1 is out of sight").arg(always));
        }
    }
    const auto* scroll = popover.findChild<QScrollArea*>("moreSettingsScroll");
    if (!scroll || scroll->verticalScrollBar()->maximum() <= 0) {
        fail(shot, "More Settings does not scroll: this screen holds every section after all");
    }
    checkDividers(popover, image, shot);
}

} // namespace

int main(int argc, char** argv) {
    QByteArray scale;
    QByteArray screen;
    QDir folder(".");
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument = argv[i];
        if (argument.startsWith("--scale=")) {
            scale = argument.mid(8);
        } else if (argument.startsWith("--screen=")) {
            screen = argument.mid(9);
        } else {
            folder.setPath(QString::fromLocal8Bit(argument));
        }
    }
    folder.mkpath(".");
    // Both are read once, when the application starts.
    qputenv("QT_QPA_PLATFORM", offscreenPlatform(screen, folder));
    if (!scale.isEmpty()) {
        qputenv("QT_SCALE_FACTOR", scale);
    }
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    FakeUpdater updater;

    const auto defaults = [](ModelHarness&) {};
    const std::vector<Shot> shots = {
        {"01-system-managed", gigabytes(16)},
        {"02-custom-limit", gigabytes(16), [](ModelHarness& h) { h.kernel.value = 14336; }},
        {"03-offer", gigabytes(16), defaults, clicking({"presetRow2"})},
        {"04-approval", gigabytes(16), defaults, clicking({"presetRow2", "turnOn"})},
        {"05-applying", gigabytes(36), [](ModelHarness& h) { h.service.current = 1; },
         clicking({"presetRow1"})},
        {"06-error", gigabytes(16), [](ModelHarness& h) { h.kernel.value = 10240; },
         [](ContentView& v) { v.model().applyVRAM(15.0); }},
        {"07-more-settings", gigabytes(64), everySection,
         clicking({"moreSettingsRow", "changeUpdateSettings"})},
        {"08-small-machine", static_cast<std::uint64_t>(7.9 * 1073741824.0)},
    };
    for (const Shot& shot : shots) {
        ModelHarness harness;
        harness.memory.set(shot.memory);
        shot.before(harness);
        ContentView view(harness.makeModel(&harness.icon), makeHost(updater));
        view.show();
        shot.after(view);
        checkDividers(view, save(view, folder, shot.name), shot.name);
    }

    sim::DirectoryBundle bundle(ORVANE_RESOURCES_DIR, {});
    TermsWindow terms(bundle, {}, {});
    terms.show();
    save(terms, folder, "09-terms");

    if (!screen.isEmpty()) {
        checkEverySectionFits(updater, folder, screen);
    }
    for (const QString& failure : failures) {
        std::fprintf(stderr, "FAILED %s\n", failure.toLocal8Bit().constData());
    }
    return failures.isEmpty() ? 0 : 1;
}
