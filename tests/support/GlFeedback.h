#pragma once

#include <functional>
#include <utility>
#include <vector>

class Level;
class Object;

// Reading back what the game draws, through GL feedback mode on the real context.

/// One vertex as GL feedback returns it: window x, y, z and texture s, t (after the texture matrix).
struct FeedbackVertex {
    float x, y, z, s, t;
};
using FeedbackPolygon = std::vector<FeedbackVertex>;

/// The polygons `draw` sends through the pipeline, clipped to the view; Mesa feeds each quad back as two triangles.
std::vector<FeedbackPolygon> captureFeedback(const std::function<void()>& draw);

/// The smallest and largest of each coordinate over every vertex of `polygons`, as (lo, hi).
std::pair<FeedbackVertex, FeedbackVertex> feedbackBounds(const std::vector<FeedbackPolygon>& polygons);

/// Full-window viewport and identity matrices, then `level.render(drawLast)`.
void renderLevel(Level& level, Object* drawLast = nullptr);
