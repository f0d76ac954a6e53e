// Graphs made from image files and images in memory, graphs derived from a rectangle of
// another graph, filling a graph with one colour, and deleting graphs.
#pragma once

#include "runtime/image/graph_image.h"
#include "runtime/image/graph_table.h"

namespace rt {

int LoadGraphImpl(const char* path, int notUse3DFlag);
// mirror: the graph is the image mirrored left to right. movieOption: the surface mode of
// a file that is no image and opens as a movie (the graph then plays it).
int LoadGraphFromFile(const char* path, int use3DRequest, int mirror, int movieOption);
// The caller's images end unchanged. mirrorHere: mirror them here (when mirror is set).
int CreateGraphFromImages(GraphImage* image, GraphImage* alphaImage, int use3DRequest, int mirror, int mirrorHere);
int CreateGraphFromGraphImage(GraphImage* image);
int MakeGraphForImage(const GraphImage* image, const GraphImage* alphaImage, int use3DRequest);
// Fills the graph from the image starting at (srcX, srcY) of it. The four words are the
// bitmap form's (format, bitmap, alpha bitmap, bitmap flag); every caller here passes none.
int BltGraphImageToGraph(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                         const char* name, int bitmapFlag, const GraphImage* image, const GraphImage* alphaImage,
                         int srcX, int srcY, int graph, int option);
// A graph sharing the pixels of the rectangle (x, y, width, height) of the parent, cut at
// the parent's edges; -1 for an origin outside the parent or an empty size.
int DeriveGraph(int x, int y, int width, int height, int parent);
int FillGraph(int graph, int r, int g, int b, int a);
int DeleteGraphImpl(int graph, int logFlag);
int DeleteAllGraph(int logFlag);

}  // namespace rt
