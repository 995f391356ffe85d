#pragma once

// Intersection queries against a world's triangles.

#include "engine/world/RpWorld.h"

enum RpIntersectType : RwInt32 {
    rpIntersectNone = 0,
    rpIntersectLine = 1,
    rpIntersectPoint = 2,
    rpIntersectSphere = 3,
    rpIntersectBox = 4,
};

struct RwLine {
    RwV3d start;
    RwV3d end;
};

struct RpIntersection {
    union {
        RwLine line;
        RwV3d point;
        RwSphere sphere;
        RwBBox box;
    } t;
    RwInt32 type;  // RpIntersectType
};

// What a callback receives: the unit normal first, then the corners (pointing into the
// sector's vertices), the triangle's index in its sector, and the point of contact.
struct RpCollisionTriangle {
    RwV3d normal;
    RwV3d* vertices[3];
    RwInt32 index;
    RwV3d point;
};

// distance: for lines the parameter of the hit (0 at start, 1 at end); for spheres the
// distance of the triangle from the centre over the radius; 0 for boxes. Return null to stop.
using RpIntersectionCallBackWorldTriangle = RpCollisionTriangle* (*)(RpIntersection* intersection,
                                                                     RpWorldSector* sector,
                                                                     RpCollisionTriangle* triangle,
                                                                     RwReal distance, void* data);

struct RpCollisionBuildParam {
    RwInt32 dummy;
};

RwBool RpCollisionPluginAttach();
// Builds per-sector search trees of the triangles; queries work without them, only slower.
RpWorld* RpCollisionWorldBuildData(RpWorld* world, RpCollisionBuildParam* param);
RpWorld* RpCollisionWorldDestroyData(RpWorld* world);
RwBool RpCollisionWorldQueryData(const RpWorld* world);
// Calls back for every world triangle that meets the primitive (lines hit both faces), in
// sector-tree order, until a callback returns null. Null for an unknown primitive.
RpWorld* RpCollisionWorldForAllIntersections(RpWorld* world, RpIntersection* intersection,
                                             RpIntersectionCallBackWorldTriangle callback, void* data);
