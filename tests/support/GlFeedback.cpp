#include "support/GlFeedback.h"

#include "support/TestEngine.h"
#include "world/Level.h"

#include <GL/gl.h>

#include <algorithm>

std::vector<FeedbackPolygon> captureFeedback(const std::function<void()>& draw)
{
    std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_4D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    std::vector<FeedbackPolygon> polygons;
    // Each vertex: x, y, z, w, colour (4), texture (4).
    const int vertexSize = 12;
    for (GLint i = 0; i < used;) {
        const GLfloat token = buffer[size_t(i++)];
        if (token == GL_POLYGON_TOKEN) {
            const int count = int(buffer[size_t(i++)]);
            FeedbackPolygon polygon;
            for (int v = 0; v < count; ++v, i += vertexSize) {
                const GLfloat* p = &buffer[size_t(i)];
                polygon.push_back({p[0], p[1], p[2], p[8] / p[11], p[9] / p[11]});
            }
            polygons.push_back(polygon);
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            ++i;
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            i += 2 * vertexSize;
        } else {
            i += vertexSize; // points, bitmaps and pixel rectangles
        }
    }
    return polygons;
}

std::pair<FeedbackVertex, FeedbackVertex> feedbackBounds(const std::vector<FeedbackPolygon>& polygons)
{
    FeedbackVertex lo{1e9f, 1e9f, 1e9f, 1e9f, 1e9f};
    FeedbackVertex hi{-1e9f, -1e9f, -1e9f, -1e9f, -1e9f};
    for (const FeedbackPolygon& polygon : polygons) {
        for (const FeedbackVertex& v : polygon) {
            lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z), std::min(lo.s, v.s), std::min(lo.t, v.t)};
            hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z), std::max(hi.s, v.s), std::max(hi.t, v.t)};
        }
    }
    return {lo, hi};
}

void renderLevel(Level& level, Object* drawLast)
{
    testEngine().setViewport(0, 0, 1024, 768);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    level.render(drawLast);
}
