#pragma once

#import <AppKit/AppKit.h>

// The green dot shown over the menu-bar icon while a custom limit is active. A click on it must
// reach the status button underneath, so the view takes part in no hit testing.
@interface PassthroughImageView : NSImageView
@end

namespace orvane::macos {

// The dot's view: an 18 × 18 image with the disc touching its top and right edges, unscaled,
// hidden, laid out by constraints and silent to accessibility (the button's label speaks for it).
NSImageView* makeVRAMDotView();

} // namespace orvane::macos
