#include "platform/macos/AppKitStatusItem.h"

#import <AppKit/AppKit.h>

#include "platform/macos/ScreenCoordinates.h"
#import "platform/macos/StatusItemDot.h"
#include "platform/macos/Strings.h"
#include "platform/qt/VRAMDot.h"

// Receives the button's action and hands it to the C++ side.
@interface StatusButtonTarget : NSObject
- (instancetype)initWithAction:(const std::function<void()>&)action;
- (instancetype)init NS_UNAVAILABLE;
- (void)togglePopover:(id)sender;
@end

@implementation StatusButtonTarget {
    std::function<void()> _action;
}

- (instancetype)initWithAction:(const std::function<void()>&)action {
    self = [super init];
    if (self != nil) {
        _action = action;
    }
    return self;
}

- (void)togglePopover:(id)sender {
    (void)sender;
    if (_action) {
        _action();
    }
}

@end

namespace orvane::macos {

AppKitStatusItem::AppKitStatusItem()
    : item_([NSStatusBar.systemStatusBar statusItemWithLength:NSVariableStatusItemLength])
    , dot_(makeVRAMDotView()) {
    NSStatusBarButton* button = item_.button;
    if (button == nil) {
        return;
    }
    [button addSubview:dot_];
    [NSLayoutConstraint activateConstraints:@[
        [dot_.centerXAnchor constraintEqualToAnchor:button.centerXAnchor],
        [dot_.centerYAnchor constraintEqualToAnchor:button.centerYAnchor],
        [dot_.widthAnchor constraintEqualToConstant:VRAMDot::imageSize],
        [dot_.heightAnchor constraintEqualToConstant:VRAMDot::imageSize],
    ]];
}

AppKitStatusItem::~AppKitStatusItem() {
    [NSStatusBar.systemStatusBar removeStatusItem:item_];
}

bool AppKitStatusItem::hasButton() const {
    return item_.button != nil;
}

void AppKitStatusItem::setImage(std::string_view imageName) {
    // Looked up in Contents/Resources, where imageNamed: also finds the @2x variant. An unknown
    // name gives nil, which clears the icon.
    NSImage* image = [NSImage imageNamed:toNSString(imageName)];
    // The artwork is a black glyph on transparency: as a template, the menu bar draws it in its
    // own colour, so it stays visible on a dark menu bar. The dot is a separate view and keeps
    // its green.
    [image setTemplate:YES];
    item_.button.image = image;
}

void AppKitStatusItem::setAccessibilityLabel(std::string_view label) {
    [item_.button setAccessibilityLabel:toNSString(label)];
}

void AppKitStatusItem::setDotHidden(bool hidden) {
    dot_.hidden = hidden ? YES : NO;
}

void AppKitStatusItem::setAction(std::function<void()> action) {
    NSStatusBarButton* button = item_.button;
    if (button == nil) {
        return;
    }
    target_ = [[StatusButtonTarget alloc] initWithAction:action];
    button.target = target_;
    button.action = @selector(togglePopover:);
    // Both mouse buttons toggle the popover; the item has no context menu.
    [button sendActionOn:NSEventMaskLeftMouseUp | NSEventMaskRightMouseUp];
}

std::optional<ScreenRect> AppKitStatusItem::buttonRect() const {
    NSStatusBarButton* button = item_.button;
    NSWindow* window = button.window;
    NSScreen* primary = NSScreen.screens.firstObject;
    if (button == nil || window == nil || primary == nil) {
        return std::nullopt;
    }
    const NSRect onScreen = [window convertRectToScreen:[button convertRect:button.bounds
                                                                     toView:nil]];
    return toQtScreenRect(
        {onScreen.origin.x, onScreen.origin.y, onScreen.size.width, onScreen.size.height},
        NSMaxY(primary.frame));
}

} // namespace orvane::macos
