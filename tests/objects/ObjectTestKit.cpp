#include "ObjectTestKit.h"

#include "objects/PlayerObject.h"
#include "support/TestEngine.h"
#include "world/Layer.h"
#include "world/ObjectFactory.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdlib>
#include <sstream>

std::string tileLayer(const std::string& id, int width, int height, int groundRow, const std::string& objects)
{
    std::ostringstream out;
    out << "<TileMapLayer id=\"" << id << "\" z=\"0\" tileSetFilename=\"ground.xml\" enablePhysics=\"1\">\n";
    out << "<Objects>" << objects << "</Objects>\n";
    for (int y = 0; y < height; ++y) {
        out << "<Row>";
        for (int x = 0; x < width; ++x)
            out << (groundRow >= 0 && y >= groundRow ? 1 : 0) << ',';
        out << "</Row>\n";
    }
    out << "</TileMapLayer>\n";
    return out.str();
}

std::string playerXml(int playerNo, float x, float y, const std::string& extra)
{
    std::ostringstream out;
    out << "<PlayerObject id=\"player" << playerNo + 1 << "\" playerNo=\"" << playerNo << "\" position=\"(" << x
        << ", " << y << ")\" " << extra << "/>";
    return out.str();
}

ObjectTest::ObjectTest()
{
    testEngine();
    registerAllObjectTypes();
}

void ObjectTest::TearDown()
{
    level.reset();
    for (SDLKey key : pressed)
        pushKey(key, false);
    testEngine().tick();
}

Level* ObjectTest::load(const LevelSpec& course, GameMode mode, ControlMode controlMode)
{
    static int counter = 0;
    const std::string name = "levels/objects" + std::to_string(++counter) + ".xml";
    std::ostringstream xml;
    xml << "<Level size=\"(" << course.width << ", " << course.height << ")\" gravity=\"" << course.gravity << "\">\n"
        << "<Layers>\n"
        << tileLayer("ground", course.width, course.height, course.groundRow, course.objects) << course.extraLayers
        << "</Layers>\n</Level>\n";
    writeScratchFile(name, xml.str());
    params.set("gameMode", mode);
    params.set("controlMode1", controlMode);
    params.set("controlMode2", controlMode);
    level.reset(Level::load(&testEngine(), name, &params));
    EXPECT_TRUE(level) << "the test level did not load";
    return level.get();
}

Level* ObjectTest::load(const std::string& objects, GameMode mode, ControlMode controlMode)
{
    LevelSpec course;
    course.objects = objects;
    return load(course, mode, controlMode);
}

Level* ObjectTest::loadAfloat(const std::string& objects, GameMode mode, ControlMode controlMode)
{
    LevelSpec course;
    course.gravity = "(0, 0)";
    course.groundRow = -1;
    course.objects = objects;
    return load(course, mode, controlMode);
}

std::string ObjectTest::loadReporting(const std::string& objects, GameMode mode)
{
    return stderrOf([&] { load(objects, mode); });
}

void ObjectTest::step(int n)
{
    for (int i = 0; i < n; ++i) {
        testEngine().tick();
        level->update();
    }
}

void ObjectTest::press(SDLKey key, bool down)
{
    pushKey(key, down);
    if (down)
        pressed.insert(key);
}

PlayerObject* ObjectTest::player(int playerNo) const
{
    return level->getPlayer(playerNo);
}

std::vector<FeedbackPolygon> captureRender(Level& level, Object& object)
{
    testEngine().setViewport(0, 0, 1024, 768);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, testEngine().getAspectRatio(), 0.001, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const Vec2f at = object.getPosition();
    gluLookAt(at.x, at.y, -level.zoom, at.x, at.y, 0.0, 0.0, -1.0, 0.0);
    auto polygons = captureFeedback([&] { object.render(); });
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    return polygons;
}
