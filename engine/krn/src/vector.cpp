// Vectors, prepared rotations, angles and small numeric helpers.
#include <cmath>
#include <cstring>

#include "krn.h"
#include "krn_internal.h"

namespace {

// The rotation axis order shared by every engine record of the process and by the layer
// library; the frame changes it for the length of its view step.
char g_order[4] = "ZXY";

constexpr double kPi = 3.14159265358979323846;

}  // namespace

namespace krn {

int CompFuzzy3D(const tagKRN3D* a, const tagKRN3D* b) {
    // Truncation of a value beyond int's range would be undefined; such points only meet
    // when their doubles already compare equal.
    auto same = [](double p, double q) {
        if (std::fabs(p) < 2e9 && std::fabs(q) < 2e9) return (long long)p == (long long)q;
        return p == q;
    };
    return same(a->x, b->x) && same(a->y, b->y) && same(a->z, b->z) ? 1 : 0;
}

void Move64(double* dst, const double* src, int n) {
    // One by one from the first, so a copy onto the following element repeats the first value.
    for (int i = 0; i < n; ++i) dst[i] = src[i];
}

}  // namespace krn

KRNAPI void WINAPI KRN_Zero3D(tagKRN3D* v) { v->x = v->y = v->z = v->t = 0.0; }

KRNAPI void WINAPI KRN_Set3D(tagKRN3D* v, double x, double y, double z, double t) {
    v->x = x;
    v->y = y;
    v->z = z;
    v->t = t;
}

KRNAPI void WINAPI KRN_Copy3D(tagKRN3D* dst, const tagKRN3D* src) {
    if (dst != src) *dst = *src;
}

KRNAPI void WINAPI KRN_Add3D(tagKRN3D* dst, const tagKRN3D* a, const tagKRN3D* b) {
    dst->x = a->x + b->x;
    dst->y = a->y + b->y;
    dst->z = a->z + b->z;
}

KRNAPI void WINAPI KRN_Shift3D(tagKRN3D* dst, const tagKRN3D* a, const tagKRN3D* b) {
    KRN_Add3D(dst, a, b);
}

KRNAPI void WINAPI KRN_Sub3D(tagKRN3D* dst, const tagKRN3D* a, const tagKRN3D* b) {
    dst->x = a->x - b->x;
    dst->y = a->y - b->y;
    dst->z = a->z - b->z;
}

KRNAPI void WINAPI KRN_Reverse3D(tagKRN3D* dst, const tagKRN3D* a) {
    dst->x = -a->x;
    dst->y = -a->y;
    dst->z = -a->z;
}

KRNAPI void WINAPI KRN_Scale3D(tagKRN3D* dst, const tagKRN3D* a, const tagKRN3D* b) {
    dst->x = a->x * b->x;
    dst->y = a->y * b->y;
    dst->z = a->z * b->z;
}

KRNAPI void WINAPI KRN_Mul3D(tagKRN3D* dst, const tagKRN3D* a, const tagKRN3D* b) {
    KRN_Scale3D(dst, a, b);
}

KRNAPI double WINAPI KRN_Length3D(const tagKRN3D* a, const tagKRN3D* b) {
    double dx = a->x - b->x, dy = a->y - b->y, dz = a->z - b->z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

KRNAPI int WINAPI KRN_Comp3D(const tagKRN3D* a, const tagKRN3D* b) {
    return a->x == b->x && a->y == b->y && a->z == b->z ? 1 : 0;
}

KRNAPI int WINAPI KRN_CompZero3D(const tagKRN3D* a) {
    return a->x == 0.0 && a->y == 0.0 && a->z == 0.0 ? 1 : 0;
}

KRNAPI void WINAPI KRN_Normal3D(tagKRN3D* dst, double x, double y, double z) {
    double len = std::sqrt(x * x + y * y + z * z);
    // A zero vector has no direction: give the zero vector rather than NaNs that would spread
    // through lighting.
    if (len == 0.0 || !std::isfinite(len)) {
        dst->x = dst->y = dst->z = 0.0;
    } else {
        dst->x = x / len;
        dst->y = y / len;
        dst->z = z / len;
    }
    dst->t = 0.0;
}

KRNAPI void WINAPI KRN_AverageNormal3D(tagKRN3D* dst, const tagKRN3D* n0, const tagKRN3D* n1,
                                       const tagKRN3D* n2) {
    const double third = 1.0 / 3.0;
    KRN_Normal3D(dst, (n0->x + n1->x + n2->x) * third, (n0->y + n1->y + n2->y) * third,
                 (n0->z + n1->z + n2->z) * third);
}

KRNAPI void WINAPI KRN_FaceNormal3D(tagKRN3D* dst, const tagKRN3D* v0, const tagKRN3D* v1,
                                    const tagKRN3D* v2) {
    double ax = v1->x - v0->x, ay = v1->y - v0->y, az = v1->z - v0->z;
    double bx = v2->x - v1->x, by = v2->y - v1->y, bz = v2->z - v1->z;
    double t = dst->t;
    KRN_Normal3D(dst, ay * bz - az * by, az * bx - ax * bz, ax * by - ay * bx);
    dst->t = t;
}

KRNAPI void WINAPI KRN_Face3D(tagKRN3D* dst, const tagKRN3D* p0, const tagKRN3D* p1,
                              const tagKRN3D* p2) {
    // Cramer's rule on the rows p0, p1, p2 with the right-hand side (1, 1, 1).
    auto det = [](double a, double b, double c, double d, double e, double f, double g, double h,
                  double i) {
        return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    };
    double d = det(p0->x, p0->y, p0->z, p1->x, p1->y, p1->z, p2->x, p2->y, p2->z);
    if (d == 0.0) d = 1.0;
    double a = det(1, p0->y, p0->z, 1, p1->y, p1->z, 1, p2->y, p2->z);
    double b = det(p0->x, 1, p0->z, p1->x, 1, p1->z, p2->x, 1, p2->z);
    double c = det(p0->x, p0->y, 1, p1->x, p1->y, 1, p2->x, p2->y, 1);
    dst->x = a / d;
    dst->y = b / d;
    dst->z = c / d;
    dst->t = 0.0;
}

KRNAPI void WINAPI KRN_MakeFastRotate3D(tagKRNFFR* ffr, const tagKRN3D* angles, const char* order) {
    int n = 0;
    ffr->calc[0] = 0;
    ffr->bm = ffr->bx = ffr->by = ffr->bz = 0;
    for (const char* p = order; p && *p && n < 3; ++p) {
        switch (*p) {
            case 'X':
            case 'x':
                ffr->bm = ffr->bx = 1;
                ffr->calc[n++] = 'X';
                ffr->sinx = std::sin(KRN_DegToRad(angles->x));
                ffr->cosx = std::cos(KRN_DegToRad(angles->x));
                break;
            case 'Y':
            case 'y':
                ffr->bm = ffr->by = 1;
                ffr->calc[n++] = 'Y';
                ffr->siny = std::sin(KRN_DegToRad(angles->y));
                ffr->cosy = std::cos(KRN_DegToRad(angles->y));
                break;
            case 'Z':
            case 'z':
                ffr->bm = ffr->bz = 1;
                ffr->calc[n++] = 'Z';
                ffr->sinz = std::sin(KRN_DegToRad(angles->z));
                ffr->cosz = std::cos(KRN_DegToRad(angles->z));
                break;
            default:
                break;
        }
    }
    ffr->calc[n] = 0;
}

KRNAPI void WINAPI KRN_FastRotate3D(tagKRN3D* dst, const tagKRN3D* src, const tagKRNFFR* ffr) {
    if (!ffr->bm) {
        KRN_Copy3D(dst, src);
        return;
    }
    double x = src->x, y = src->y, z = src->z;
    for (int i = 0; i < 3 && ffr->calc[i]; ++i) {
        double a, b;
        switch (ffr->calc[i]) {
            case 'X':
                if (!ffr->bx) break;
                a = ffr->cosx * y - ffr->sinx * z;
                b = ffr->sinx * y + ffr->cosx * z;
                y = a;
                z = b;
                break;
            case 'Y':
                if (!ffr->by) break;
                a = ffr->cosy * z - ffr->siny * x;
                b = ffr->siny * z + ffr->cosy * x;
                z = a;
                x = b;
                break;
            case 'Z':
                if (!ffr->bz) break;
                a = ffr->cosz * x - ffr->sinz * y;
                b = ffr->sinz * x + ffr->cosz * y;
                x = a;
                y = b;
                break;
            default:
                break;
        }
    }
    // t follows the point, as it does for the identity rotation.
    dst->t = src->t;
    dst->x = x;
    dst->y = y;
    dst->z = z;
}

KRNAPI void WINAPI KRN_DefineRotate3D(const char* neworder, char* oldorder) {
    if (oldorder) std::memcpy(oldorder, g_order, sizeof g_order);
    if (neworder) {
        std::strncpy(g_order, neworder, 3);
        g_order[3] = 0;
    }
}

KRNAPI void WINAPI KRN_FreeRotate3D(tagKRN3D* dst, const tagKRN3D* src, const tagKRN3D* angles,
                                    const char* order) {
    tagKRNFFR ffr;
    KRN_MakeFastRotate3D(&ffr, angles, order);
    if (!ffr.bm) return;
    KRN_FastRotate3D(dst, src, &ffr);
}

KRNAPI void WINAPI KRN_Rotate3D(tagKRN3D* dst, const tagKRN3D* src, const tagKRN3D* angles) {
    char order[4];
    std::memcpy(order, g_order, sizeof order);
    KRN_FreeRotate3D(dst, src, angles, order);
}

KRNAPI double WINAPI KRN_Pie(void) { return kPi; }

KRNAPI double WINAPI KRN_DegToRad(double deg) { return kPi * deg * (1.0 / 180.0); }

KRNAPI double WINAPI KRN_RadToDeg(double rad) { return 180.0 * rad * (1.0 / kPi); }

KRNAPI double WINAPI KRN_Range360(double angle) {
    // Stepping by 360 never ends on infinities or NaN, and takes for ever (or stands still)
    // on huge values: those are reduced by the remainder first.
    if (!std::isfinite(angle)) return 0.0;
    if (std::fabs(angle) >= 360.0 * 65536.0) angle = std::fmod(angle, 360.0);
    while (angle < 0.0) angle += 360.0;
    while (angle >= 360.0) angle -= 360.0;
    return angle;
}

KRNAPI double WINAPI KRN_Range180(double angle) { return KRN_Range360(angle) - 180.0; }

KRNAPI void WINAPI KRN_ClearReal(double* array, int n, double value) {
    if (n < 1) return;
    array[0] = value;
    krn::Move64(array + 1, array, n - 1);
}

KRNAPI void WINAPI KRN_MoveReal(double* dst, const double* src, int n) { krn::Move64(dst, src, n); }
