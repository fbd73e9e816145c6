#import "platform/macos/StatusItemDot.h"

#include "platform/qt/VRAMDot.h"

@implementation PassthroughImageView

- (NSView*)hitTest:(NSPoint)point {
    (void)point;
    return nil;
}

@end

namespace orvane::macos {

namespace {

NSImage* makeDotImage() {
    const CGFloat diameter = VRAMDot::diameter;
    return
        [NSImage imageWithSize:NSMakeSize(VRAMDot::imageSize, VRAMDot::imageSize)
                       flipped:NO
                drawingHandler:^BOOL(NSRect rect) {
                    [NSColor.systemGreenColor setFill];
                    [[NSBezierPath bezierPathWithOvalInRect:NSMakeRect(NSMaxX(rect) - diameter,
                                                                       NSMaxY(rect) - diameter,
                                                                       diameter, diameter)] fill];
                    return YES;
                }];
}

} // namespace

NSImageView* makeVRAMDotView() {
    PassthroughImageView* view = [PassthroughImageView imageViewWithImage:makeDotImage()];
    view.imageScaling = NSImageScaleNone;
    [view setAccessibilityElement:NO];
    view.translatesAutoresizingMaskIntoConstraints = NO;
    view.hidden = YES;
    return view;
}

} // namespace orvane::macos
