#pragma once

// Makes Qt build the accessible interfaces of this folder's widgets: the colour edit and its grid
// (ColorAccessible), the toolbar as a tool bar and its spacers as separators. Each widget that
// needs it calls it when made; Qt keeps the factory once.
namespace WidgetAccessibility {

void install();

} // namespace WidgetAccessibility
