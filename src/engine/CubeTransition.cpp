#include "engine/CubeTransition.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

void drawFace(unsigned texture, float grey, int width, int height)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glColor4f(grey, grey, grey, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2i(width, 0);
    glVertex3f(-1, 1, -1);
    glTexCoord2i(0, 0);
    glVertex3f(1, 1, -1);
    glTexCoord2i(0, height);
    glVertex3f(1, -1, -1);
    glTexCoord2i(width, height);
    glVertex3f(-1, -1, -1);
    glEnd();
}

} // namespace

void CubeTransition::draw(unsigned oldTexture, unsigned newTexture)
{
    float t = duration > 0.0f ? elapsed / duration : 0.0f;
    float s = t * t * (3.0f - 2.0f * t);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(90.0, 1.0, 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(0, 0, -2, 0, 0, 0, 0, 1, 0);
    glRotatef(s * 90.0f, 0, 1, 0);

    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);

    drawFace(oldTexture, 1.0f - s, width, height);
    glRotatef(-90.0f, 0, 1, 0);
    drawFace(newTexture, s, width, height);

    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
