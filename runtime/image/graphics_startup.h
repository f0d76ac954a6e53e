// The start and end of the graphics side: graphics start-up with its fall-back to the
// software display, the graph manager, the restore of graphs from their files, and the
// re-creation of the display after a display change.
#pragma once

namespace platform {
class Window;
}

namespace rt {

// Installs the display's entries into the graph table (GetGraphDeviceHooks).
void InstallGraphDeviceHooks();

int InitGraphics(platform::Window* window);
int EndGraphics();
int InitGraphManager();
int EndGraphManager();
// null installs RestoreGraphsFromFiles.
void SetGraphRestoreCallback(int (*callback)());
int RestoreGraphs();
// RestoreGraphs when a restore brought stores back empty since the last refill; else 0.
int RefillRestoredGraphs();
int RestoreGraphsFromFiles();
int RestoreGraphSurfaces(int graph);
int RestoreAllGraphSurfaces();
int RecreateGraphicsDevice();
// Start-up's warm-up of the graphics path: a draw-valid graph, blended and stretched draws
// of black graphs. No graph remains; the draw screen ends as the front screen.
void WarmUpGraphics();

}  // namespace rt
