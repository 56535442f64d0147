#pragma once

// Makes Qt build the accessible interfaces of this folder's widgets: the colour edit and its grid
// (ColorAccessible), the toolbar as a tool bar and its spacers as separators. Once, whoever calls
// first; each widget that needs it calls it when made.
namespace WidgetAccessibility {

void install();

} // namespace WidgetAccessibility
