#include "support/SceneTest.h"

#include "framework/AsciiSerializer.h"
#include "framework/FileSystem.h"
#include "framework/Object.h"
#include "scene/RwGraphics.h"
#include "tests/support/OffscreenEngine.h"

void SceneTest::SetUpTestSuite()
{
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetDeviceKind(rwDeviceNull);
    graphics->SetScreenSize(800, 600);
    ASSERT_TRUE(graphics->Initialise(OffscreenWindow()));
}

void SceneTest::TearDownTestSuite()
{
    RwGraphics::Instance()->Destroy();
    CloseOffscreenWindow();
}

Vector3 V(const RwV3d& v)
{
    return {v.x, v.y, v.z};
}

::testing::AssertionResult Near(const Vector3& got, const Vector3& want, float tolerance)
{
    if ((got - want).Length() <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.x << ", " << got.y << ", " << got.z << ")";
}

void WriteEngineFile(const char* path, const std::function<bool(RwStream*)>& write)
{
    RwStream* stream = RwStreamOpen(rwStreamFileName, rwStreamWrite, path);
    ASSERT_NE(stream, nullptr) << path;
    EXPECT_TRUE(write(stream)) << path;
    EXPECT_TRUE(RwStreamClose(stream, nullptr)) << path;
}

void SerializeTable(Object& object, const char* path, const char* name, bool writing)
{
    File* file = writing ? FileSystem::Instance()->OpenWrite(path) : FileSystem::Instance()->OpenRead(path);
    ASSERT_NE(file, nullptr) << path;
    // The serializer is done with the file before it closes.
    object.Serialize(*std::make_unique<AsciiSerializer>(file, writing), name);
    EXPECT_TRUE(FileSystem::Instance()->Close(file) || !writing) << path;
}
