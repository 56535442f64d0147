#pragma once

// Makes Qt build the accessible interfaces of this folder's widgets: the colour edit and its grid
// (ColorAccessible), the toolbar as a tool bar, its spacers and a dialog's bevel lines as
// separators. Each window that needs it calls it when made; Qt keeps the factory once.
namespace WidgetAccessibility {

void install();

} // namespace WidgetAccessibility
