// The transform driver's builds, loaded from the program folder as the engine loads them:
// camera space, near-plane splits, the far limit, projection, facing, screen rectangles and the
// depth range, and what sets the three builds apart.
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "driver_rig.h"

using namespace drvtest;

namespace {

const char* const kBuilds[3] = {"drv_pasu.dll", "drv_quil.dll", "drv_nodo.dll"};

void ExpectVertex(const tagKRN3D& v, double x, double y, double z, const std::string& what) {
    EXPECT_DOUBLE_EQ(v.x, x) << what;
    EXPECT_DOUBLE_EQ(v.y, y) << what;
    EXPECT_DOUBLE_EQ(v.z, z) << what;
}

// A chip with a colour ramp and texture coordinates along its vertices, so that made vertices
// show what they carried along their edge.
tagKRNCHIP Ramp(tagKRN3D a, tagKRN3D b, tagKRN3D c) {
    tagKRNCHIP chip = Chip(a, b, c);
    const int red[3] = {200, 100, 0};
    for (int k = 0; k < 3; ++k) chip.r[k] = red[k];
    chip.n[0] = V(0, 0, 1);
    chip.n[1] = V(1, 0, 0);
    chip.n[2] = V(0, 1, 0);
    chip.htex = 1;  // any non-zero handle: the driver only tests it
    chip.x[1] = 1.0;
    chip.y[2] = 1.0;
    return chip;
}

}  // namespace

TEST(TransformCheck, ReportsItsLoadFileAndTheProcessorItNeeds) {
    const CheckRow rows[] = {
        {"drv_pasu.dll", "0200KORRIN 3D Transform（標準）", "drv_pasu.dll", 0, 1, 1, 1, 1},
        {"drv_quil.dll", "0200KORRIN 3D Transform(SSE版)", "drv_quil.dll", 9, 1, 0, 0, 0},
        // Too long for its 32-byte buffer: cut before the character that does not fit. The
        // 3DNow! build names the plain build's file.
        {"drv_nodo.dll", "0200KORRIN 3D Transform(3DNow!", "drv_pasu.dll", 5, 0, 1, 0, 0},
    };
    ExpectCheckTable(rows, std::size(rows),
                     [](const char* file) { return LoadTransform(file).check; });
}

TEST(TransformView, SplitsChipsAtTheNearPlane) {
    for (const char* file : kBuilds) {
        Transform t = LoadTransform(file);
        ASSERT_TRUE(t.view) << file;

        // None in front (z = 1 lies on the plane, which counts as behind): dropped.
        Scene none(4);
        none.Put(0, Ramp(V(0, 0, 1), V(10, 0, 0.5), V(0, 10, -3)));
        ASSERT_EQ(none.View(t), 1) << file;
        EXPECT_EQ(none.krn->calc, 0) << file;

        // All three in front: the chip as it is, with distances 0 while there is no far limit.
        Scene all(4);
        all.Put(0, Ramp(V(0, 0, 11), V(10, 0, 11), V(0, 10, 11)));
        ASSERT_EQ(all.View(t), 1);
        ASSERT_EQ(all.krn->calc, 1) << file;
        EXPECT_EQ(std::memcmp(all.Out(0).v, all.chips[0].v, sizeof all.chips[0].v), 0) << file;
        for (double d : all.Out(0).d) EXPECT_EQ(d, 0.0) << file;

        // One in front: one chip whose two other vertices lie on the plane, half way along
        // their edges, carrying half of the colour, normal and texture coordinates.
        Scene one(4);
        one.Put(0, Ramp(V(0, 0, 11), V(10, 0, -9), V(0, 10, -9)));
        ASSERT_EQ(one.View(t), 1);
        ASSERT_EQ(one.krn->calc, 1) << file;
        const tagKRNCHIP& c = one.Out(0);
        ExpectVertex(c.v[0], 0, 0, 11, std::string(file) + " one: kept vertex");
        ExpectVertex(c.v[1], 5, 0, 1, std::string(file) + " one: made vertex 1");
        ExpectVertex(c.v[2], 0, 5, 1, std::string(file) + " one: made vertex 2");
        EXPECT_EQ(c.r[1], 150) << file;
        EXPECT_EQ(c.r[2], 100) << file;
        ExpectVertex(c.n[1], 0.5, 0, 0.5, std::string(file) + " one: made normal 1");
        EXPECT_DOUBLE_EQ(c.x[1], 0.5) << file;
        EXPECT_DOUBLE_EQ(c.y[2], 0.5) << file;
        EXPECT_EQ(c.d[0], 0.0) << file;
        EXPECT_DOUBLE_EQ(c.d[1], std::sqrt(26.0)) << file << ": made vertices get a distance";
        EXPECT_DOUBLE_EQ(c.d[2], std::sqrt(26.0)) << file;

        // Two in front: two chips in the slot order of the first, sharing the vertex made on the
        // edge from the second front vertex.
        Scene two(4);
        two.Put(0, Ramp(V(0, 0, 11), V(10, 10, 11), V(0, 10, -9)));
        ASSERT_EQ(two.View(t), 1);
        ASSERT_EQ(two.krn->calc, 2) << file;
        ExpectVertex(two.Out(0).v[0], 0, 0, 11, std::string(file) + " two: first a");
        ExpectVertex(two.Out(0).v[1], 10, 10, 11, std::string(file) + " two: first a2");
        ExpectVertex(two.Out(0).v[2], 5, 10, 1, std::string(file) + " two: first q");
        ExpectVertex(two.Out(1).v[0], 0, 0, 11, std::string(file) + " two: second a");
        ExpectVertex(two.Out(1).v[1], 5, 10, 1, std::string(file) + " two: second q");
        ExpectVertex(two.Out(1).v[2], 0, 5, 1, std::string(file) + " two: second p");
        EXPECT_EQ(two.Out(0).r[2], 50) << file;
        EXPECT_EQ(two.Out(1).r[1], 50) << file;
        EXPECT_EQ(two.Out(1).r[2], 100) << file;
        EXPECT_DOUBLE_EQ(two.Out(1).d[2], std::sqrt(26.0)) << file;
        EXPECT_TRUE(two.GuardIntact()) << file;
    }
}

TEST(TransformView, NearDistanceIsTheLimitOrOneMinusZoom) {
    struct Row {
        double zoom;
        int limit;
        double z;
        bool kept;
    };
    const Row rows[] = {
        {0.0, 1, 1.0, false},   {0.0, 1, 1.1, true},   // near 1
        {-5.0, 1, 5.9, false},  {-5.0, 1, 6.1, true},  // near 6
        {35.0, 10, 9.9, false}, {35.0, 10, 10.1, true},
    };
    Transform t = LoadTransform("drv_pasu.dll");
    for (const Row& r : rows) {
        Scene s(2);
        s.krn->camera[0].zoom = r.zoom;
        s.Put(0, Chip(V(0, 0, r.z), V(1, 0, r.z), V(0, 1, r.z)));
        ASSERT_EQ(s.View(t, r.limit), 1);
        EXPECT_EQ(s.krn->calc, r.kept ? 1 : 0)
            << "zoom " << r.zoom << " limit " << r.limit << " z " << r.z;
    }
}

TEST(TransformView, NeverWritesPastTheEndOfTheOutputList) {
    for (const char* file : kBuilds) {
        Transform t = LoadTransform(file);
        // A split whose first half fills the list: the second half has no slot.
        Scene s(2);
        s.Put(0, Chip(V(0, 0, 11), V(1, 0, 11), V(0, 1, 11)));
        s.Put(1, Ramp(V(0, 0, 11), V(10, 10, 11), V(0, 10, -9)));
        ASSERT_EQ(s.View(t), 1);
        EXPECT_EQ(s.krn->calc, 2) << file;
        EXPECT_TRUE(s.GuardIntact()) << file;

        // A full list ends the stage; later chips wait for the next frame.
        Scene full(1);
        full.Put(0, Ramp(V(0, 0, 11), V(10, 10, 11), V(0, 10, -9)));
        ASSERT_EQ(full.View(t), 1);
        EXPECT_EQ(full.krn->calc, 1) << file;
        EXPECT_TRUE(full.GuardIntact()) << file;
    }
}

TEST(TransformView, HiddenAndFreeChipsAreNotShown) {
    Transform t = LoadTransform("drv_pasu.dll");
    Scene s(4);
    const int modes[4] = {KRNCHIP_FREE, KRNCHIP_SHOW, KRNCHIP_HIDE, KRNCHIP_SHOW | KRNCHIP_HIDE};
    for (int i = 0; i < 4; ++i) {
        s.Put(i, Chip(V(0, 0, 11), V(1, 0, 11), V(0, 1, 11)));
        s.chips[(size_t)i].mode = modes[i];
    }
    ASSERT_EQ(s.View(t), 1);
    ASSERT_EQ(s.krn->calc, 1);
    EXPECT_EQ(s.Out(0).no, 1);
}

TEST(TransformView, FarLimitDropsChipsUnlessFlaggedAndTheBuildHonoursIt) {
    struct Row {
        const char* file;
        DWORD flags;
        bool kept;
    };
    const Row rows[] = {
        {"drv_pasu.dll", 0, false}, {"drv_pasu.dll", KRNCHIP_NOFAR, true},
        {"drv_quil.dll", 0, false}, {"drv_quil.dll", KRNCHIP_NOFAR, true},
        {"drv_nodo.dll", 0, false}, {"drv_nodo.dll", KRNCHIP_NOFAR, false},
    };
    for (const Row& r : rows) {
        Transform t = LoadTransform(r.file);
        Scene s(4);
        s.krn->distance = 20.0;
        // Vertex 0 lies exactly at the limit; a chip inside it stays in every case.
        s.Put(0, Chip(V(0, 0, 20), V(1, 0, 15), V(0, 1, 15), r.flags));
        s.Put(1, Chip(V(0, 0, 12), V(1, 0, 12), V(0, 1, 12), r.flags));
        ASSERT_EQ(s.View(t), 1);
        ASSERT_EQ(s.krn->calc, r.kept ? 2 : 1) << r.file << " flags " << r.flags;
        const tagKRNCHIP& inside = s.Out(r.kept ? 1 : 0);
        EXPECT_DOUBLE_EQ(inside.d[0], 12.0) << r.file;
        EXPECT_DOUBLE_EQ(inside.d[1], std::sqrt(145.0)) << r.file;
        if (r.kept) {
            EXPECT_DOUBLE_EQ(s.Out(0).d[0], 20.0) << r.file;
        }
    }
}

TEST(TransformView, CameraMovesRotatesAndScales) {
    // Camera at (10, 0, 0) turned 90 degrees about y: the world point (30, 0, 0) lies straight
    // ahead at depth 20; scale (2, 1, 1) then doubles x.
    for (const char* file : kBuilds) {
        Transform t = LoadTransform(file);
        Scene s(2);
        s.krn->camera[0].viewpoint = V(10, 0, 0);
        s.krn->camera[0].rotate = V(0, 90, 0);
        s.krn->camera[0].scale = V(2, 1, 1);
        s.Put(0, Chip(V(30, 0, 0), V(30, 1, 0), V(30, 0, 1)));
        ASSERT_EQ(s.View(t), 1);
        ASSERT_EQ(s.krn->calc, 1) << file;
        const tagKRN3D& v = s.Out(0).v[0];
        tagKRN3D p = V(20, 0, 0), a = V(0, -90, 0), r;
        KRN_Rotate3D(&r, &p, &a);
        EXPECT_NEAR(v.x, 2 * r.x, 1e-12) << file;
        EXPECT_NEAR(v.y, r.y, 1e-12) << file;
        EXPECT_NEAR(v.z, r.z, 1e-12) << file;
        EXPECT_NEAR(std::fabs(v.x) + std::fabs(v.y) + std::fabs(v.z), 20.0, 1e-9) << file;
    }
}

TEST(TransformPerspective, ProjectsMarksFacingAndClipsTheScreenRectangle) {
    // At z = 35 a camera unit is 10 pixels; the view's centre is (350, 250).
    const tagKRNCHIP front = Chip(V(0, 0, 35), V(0, 10.04, 35), V(10.04, 0, 35));
    const tagKRNCHIP back = Chip(V(0, 0, 35), V(10.04, 0, 35), V(0, 10.04, 35));
    struct Row {
        const char* what;
        tagKRNCHIP chip;
        DWORD flags;
        RECT clip;  // cxpos, cypos, cxsize, cysize
        bool kept;
        RECT crect;
    };
    const Row rows[] = {
        {"front face", front, 0, {0, 0, 700, 500}, true, {350, 149, 451, 251}},
        {"back face", back, KRNCHIP_FRONT, {0, 0, 700, 500}, false, {}},
        {"two-sided back face",
         back,
         KRNCHIP_TWOSIDED | KRNCHIP_FRONT,
         {0, 0, 700, 500},
         true,
         {350, 149, 451, 251}},
        {"partly inside", front, 0, {400, 200, 300, 300}, true, {400, 200, 451, 251}},
        {"outside", front, 0, {500, 0, 200, 500}, false, {}},
    };
    for (const char* file : {"drv_pasu.dll", "drv_quil.dll"}) {
        Transform t = LoadTransform(file);
        for (const Row& r : rows) {
            Scene s(2);
            tagKRNVIEW& v = s.krn->view[0];
            v.cxpos = r.clip.left;
            v.cypos = r.clip.top;
            v.cxsize = r.clip.right;
            v.cysize = r.clip.bottom;
            tagKRNCHIP chip = r.chip;
            chip.flags = r.flags;
            s.Put(0, chip);
            ASSERT_EQ(s.Frame(t), 1) << r.what;
            ASSERT_EQ(s.krn->calc, r.kept ? 1 : 0) << file << ": " << r.what;
            if (!r.kept) continue;
            const tagKRNCHIP& c = s.Out(0);
            const bool faces = r.chip.v[1].y != 0.0;
            EXPECT_EQ((c.flags & KRNCHIP_FRONT) != 0, faces) << file << ": " << r.what;
            EXPECT_EQ(c.crect.left, r.crect.left) << file << ": " << r.what;
            EXPECT_EQ(c.crect.top, r.crect.top) << file << ": " << r.what;
            EXPECT_EQ(c.crect.right, r.crect.right) << file << ": " << r.what;
            EXPECT_EQ(c.crect.bottom, r.crect.bottom) << file << ": " << r.what;
            EXPECT_DOUBLE_EQ(c.v[0].x, 350.0) << r.what;
            EXPECT_DOUBLE_EQ(c.v[0].y, 250.0) << r.what;
            EXPECT_DOUBLE_EQ(c.v[0].z, 340.0) << r.what << ": (z - near) * t";
            EXPECT_DOUBLE_EQ(c.v[0].t, 70.0) << r.what << ": zoom + z";
        }
    }
}

TEST(TransformPerspective, CompactsTheListInOrder) {
    Transform t = LoadTransform("drv_pasu.dll");
    Scene s(4);
    const tagKRNCHIP front = Chip(V(0, 0, 35), V(0, 10.04, 35), V(10.04, 0, 35));
    const tagKRNCHIP back = Chip(V(0, 0, 35), V(10.04, 0, 35), V(0, 10.04, 35));
    s.Put(0, back);
    s.Put(1, front);
    s.Put(2, back);
    s.Put(3, front);
    ASSERT_EQ(s.Frame(t), 1);
    ASSERT_EQ(s.krn->calc, 2);
    EXPECT_EQ(s.Out(0).no, 1);
    EXPECT_EQ(s.Out(1).no, 3);
}

TEST(TransformPerspective, DepthRangeCoversEveryVertexKept) {
    for (const char* file : kBuilds) {
        Transform t = LoadTransform(file);
        const bool nodo = std::string(file) == "drv_nodo.dll";

        // An empty list: the range is left open.
        Scene empty(2);
        ASSERT_EQ(empty.Frame(t), 1);
        EXPECT_EQ(empty.krn->zbufmin, DBL_MAX) << file;
        EXPECT_EQ(empty.krn->zbufmax, nodo ? 1.0 : 0.0) << file << ": the maximum's start";

        // Depths growing from vertex to vertex: the first vertex is the nearest and still sets
        // the minimum. Projected depths: (z - 1) * 700 / (35 + z), or z * 700 / (35 + z).
        Scene s(2);
        s.Put(0, Chip(V(0, 0, 15), V(0, 5, 35), V(5, 0, 55), KRNCHIP_TWOSIDED));
        ASSERT_EQ(s.Frame(t), 1);
        ASSERT_EQ(s.krn->calc, 1) << file;
        EXPECT_DOUBLE_EQ(s.krn->zbufmin, nodo ? 210.0 : 196.0) << file;
        EXPECT_DOUBLE_EQ(s.krn->zbufmax, nodo ? 55.0 * 700 / 90 : 420.0) << file;
        EXPECT_DOUBLE_EQ(s.krn->tbufmax, 90.0) << file << ": zoom + z of the deepest vertex";
    }
}

TEST(TransformPerspective, SeeThroughRate) {
    struct Row {
        const char* file;
        double throughdistance;
        DWORD flags;
        int trans;
    };
    const Row rows[] = {
        {"drv_pasu.dll", 50.0, KRNCHIP_THROUGH, 77},
        {"drv_quil.dll", 50.0, KRNCHIP_THROUGH, 77},
        {"drv_nodo.dll", 50.0, KRNCHIP_THROUGH, 3},
        {"drv_pasu.dll", 0.0, KRNCHIP_THROUGH, 3},
        {"drv_pasu.dll", 50.0, 0, 3},
        {"drv_pasu.dll", 30.0, KRNCHIP_THROUGH, 3},
    };
    for (const Row& r : rows) {
        Transform t = LoadTransform(r.file);
        Scene s(2);
        s.krn->throughdistance = r.throughdistance;
        s.krn->throughrate = 77;
        tagKRNCHIP chip = Chip(V(0, 0, 35), V(0, 10.04, 35), V(10.04, 0, 35), r.flags);
        chip.trans = 3;
        s.Put(0, chip);
        ASSERT_EQ(s.Frame(t), 1);
        ASSERT_EQ(s.krn->calc, 1);
        EXPECT_EQ(s.Out(0).trans, r.trans)
            << r.file << " at " << r.throughdistance << " flags " << r.flags;
    }
}

TEST(TransformBuilds, GiveTheSameChipsButForTheirStatedDifferences) {
    Scene pasu(600), quil(600), nodo(600);
    for (Scene* s : {&pasu, &quil, &nodo}) RandomScene(*s);
    ASSERT_EQ(pasu.Frame(LoadTransform("drv_pasu.dll")), 1);
    ASSERT_EQ(quil.Frame(LoadTransform("drv_quil.dll")), 1);
    ASSERT_EQ(nodo.Frame(LoadTransform("drv_nodo.dll")), 1);
    const int n = pasu.krn->calc;
    ASSERT_GT(n, 50);
    ASSERT_LT(n, 600);

    // The SSE build, with its own rotation, gives the very same bytes.
    ASSERT_EQ(quil.krn->calc, n);
    EXPECT_EQ(std::memcmp(pasu.calc.data(), quil.calc.data(), (size_t)n * sizeof(tagKRNCHIP)), 0);
    EXPECT_EQ(pasu.krn->zbufmin, quil.krn->zbufmin);
    EXPECT_EQ(pasu.krn->zbufmax, quil.krn->zbufmax);
    EXPECT_EQ(pasu.krn->tbufmax, quil.krn->tbufmax);

    // The 3DNow! build projects z without taking off the near distance (here 1): apart from
    // that its chips are the same.
    ASSERT_EQ(nodo.krn->calc, n);
    for (int i = 0; i < n; ++i) {
        tagKRNCHIP a = pasu.Out(i), b = nodo.Out(i);
        for (int k = 0; k < 3; ++k) {
            const double t = 700.0 / b.v[k].t;
            EXPECT_NEAR(b.v[k].z - a.v[k].z, t, 1e-9 * std::fabs(b.v[k].z)) << "chip " << i;
            a.v[k].z = b.v[k].z = 0.0;
        }
        EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << "chip " << i;
    }
}

TEST(TransformBuilds, NodoClipsAtTheViewPosition) {
    // The clip rectangle (0, 0)-(400, 500); the view lies at x = 100 in its window.
    const tagKRNCHIP front = Chip(V(0, 0, 35), V(0, 10.04, 35), V(10.04, 0, 35));
    const struct {
        const char* file;
        LONG right;
    } rows[] = {{"drv_pasu.dll", 400}, {"drv_quil.dll", 400}, {"drv_nodo.dll", 451}};
    for (const auto& r : rows) {
        Scene s(2);
        s.krn->view[0].xpos = 100;
        s.krn->view[0].cxsize = 400;
        s.Put(0, front);
        ASSERT_EQ(s.Frame(LoadTransform(r.file)), 1);
        ASSERT_EQ(s.krn->calc, 1) << r.file;
        EXPECT_EQ(s.Out(0).crect.left, 350) << r.file;
        EXPECT_EQ(s.Out(0).crect.right, r.right) << r.file;
    }
}

TEST(TransformBuilds, HostileNumbersStayInsideTheLists) {
    const double inf = HUGE_VAL, nan = std::nan("");
    for (const char* file : kBuilds) {
        Transform t = LoadTransform(file);
        Scene s(6);
        s.Put(0, Chip(V(nan, 0, 35), V(0, nan, 35), V(0, 0, nan), KRNCHIP_TWOSIDED));
        s.Put(1, Chip(V(1e300, 0, 35), V(0, -1e300, 35), V(0, 0, 1e300), KRNCHIP_TWOSIDED));
        s.Put(2, Chip(V(inf, 0, 35), V(0, inf, -inf), V(0, 0, inf), KRNCHIP_TWOSIDED));
        s.Put(3, Chip(V(0, 0, 2), V(1e9, 0, 1.0000001), V(0, 1e9, -1e300), KRNCHIP_TWOSIDED));
        s.Put(4, Chip(V(0, 0, 35), V(0, 10, 35), V(10, 0, 35), KRNCHIP_TWOSIDED | KRNCHIP_NOFAR));
        s.Put(5, Chip(V(0, 0, 1e-300), V(0, 1e-300, 2), V(1e-300, 0, 2), KRNCHIP_TWOSIDED));
        tagKRNVIEW& v = s.krn->view[0];
        v.xoffset = -2147483647 - 1;
        v.yoffset = 2147483647;
        v.xpos = 2147483647;
        v.cxpos = -2147483647 - 1;
        v.cxsize = 2147483647;
        v.cysize = 2147483647;
        for (double distance : {-1.0, 100.0, nan}) {
            s.krn->distance = distance;
            ASSERT_EQ(s.Frame(t), 1) << file;
            EXPECT_GE(s.krn->calc, 0) << file;
            EXPECT_LE(s.krn->calc, 6) << file;
            EXPECT_TRUE(s.GuardIntact()) << file;
            for (int i = 0; i < s.krn->calc; ++i) {
                EXPECT_LE(s.Out(i).crect.left, s.Out(i).crect.right) << file << " chip " << i;
                EXPECT_LE(s.Out(i).crect.top, s.Out(i).crect.bottom) << file << " chip " << i;
            }
        }
    }
}
