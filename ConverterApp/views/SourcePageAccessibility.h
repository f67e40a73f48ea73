// Accessibility of the source page: each region box is one element, a button named
// after its label, whose press action selects the region as a click does. Installed
// once as an accessibility factory for SourcePageView.
#pragma once

namespace SourcePageAccessibility {

void install();

}  // namespace SourcePageAccessibility
