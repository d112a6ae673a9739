// Geometry on vectors, object records and aircraft records: rotations, angle arithmetic,
// distances and bearings, the camera's eye placements and the aircraft's turn and pitch steps.
// The arithmetic keeps the order of the original formulas, so that results repeat exactly.
#include <algorithm>
#include <cmath>

#include "simulation/simulation.h"
#include "world/world.h"

namespace {

constexpr double kPi = 3.14159265358979;
// Degrees per radian: a speed per tick times this is the radius of a turn of 1 degree a tick.
constexpr double kTurnFactor = 57.295779513;
// The heading step on the ground when the aircraft has no target speed: 46.3 km/h a tick.
constexpr double kGroundTurnSpeed = 46.3 / 108;

double Rad(double degrees) { return degrees * kPi * (1.0 / 180); }
double Deg(double radians) { return radians * 180 / kPi; }

// A difference of angles brought into -180..180 by one step.
double Normalise(double d) {
    if (d > 180) return d - 360;
    if (d < -180) return d + 360;
    return d;
}
// The integer form: at 181 and above, below -180.
int NormaliseInt(int d) {
    if (d >= 181) return d - 360;
    if (d < -180) return d + 360;
    return d;
}
int Round(double v) { return static_cast<int>(std::nearbyint(v)); }

double SignStep(int d) { return d > 0 ? 0.2 : d < 0 ? -0.2 : 0.0; }

ObjectRecord* Object(int slot) {
    ObjectTable* t = GetObjectTable();
    if (!t || slot < 0 || slot >= kObjectSlots) return nullptr;
    return &(*t)[static_cast<size_t>(slot)];
}
ObjectRecord* UsedObject(int slot) {
    ObjectRecord* o = Object(slot);
    return o && o->used ? o : nullptr;
}
AircraftRecord* Aircraft(int index) {
    AircraftTable* t = GetAircraftTable();
    if (!t || index < 0 || index >= kAircraftSlots) return nullptr;
    return &(*t)[static_cast<size_t>(index)];
}
bool Airborne(const ObjectRecord& o, const AircraftRecord& a) {
    return o.pos.y != static_cast<double>(a.ground);
}

// A heading brought into 0..359 (0 to below 360) by one step of 360.
int KeepDegrees(int d) { return d > 359 ? d - 360 : d < 0 ? d + 360 : d; }
double KeepDegrees(double d) { return d >= 360 ? d - 360 : d < 0 ? d + 360 : d; }

// The heading of a - b in the ground plane, degrees in (-180, 180]; `h` the distance there.
double HeadingOf(const tagKRN3D* a, const tagKRN3D* b, double* h) {
    tagKRN3D d;
    KRN_Sub3D(&d, a, b);
    *h = std::sqrt(d.x * d.x + d.z * d.z);
    if (*h == 0) return 0;
    double deg = KRN_RadToDeg(std::acos(d.z / *h));
    return d.x < 0 ? -deg : deg;
}

// The eye `distance` back along the view turned by `angles`.
void BackAlongView(const tagKRN3D* angles, tagKRN3D* v) {
    tagKRN3D ahead = {0, 0, GetCameraRecord().distance, 0};
    RotateVector3(v, &ahead, angles);
}
void PlaceEye(const tagKRN3D& base, const tagKRN3D& back, tagKRN3D* eye) {
    const tagKRN3D& off = GetCameraRecord().offset;
    eye->x = base.x - back.x + off.x;
    eye->y = base.y - back.y + off.y;
    eye->z = base.z - back.z + off.z;
    eye->t = 0;
}

// The turn step of the five radius rules: `r` the radius, `back` the reversed start vector.
void TurnStep(int aircraft, double r, bool back) {
    ObjectRecord* o = Object(aircraft);
    AircraftRecord* a = Aircraft(aircraft);
    if (!o || !a) return;
    tagKRN3D& v = a->velocity;
    const double h = o->angle.y;
    const double s = TurnSign(a->course, h);
    if (s == 0 || !std::isfinite(r)) {
        v = {0, 0, 0, 0};
        return;
    }
    const tagKRN3D start = {0, 0, back ? -r : r, 0};
    const double c = a->course;
    tagKRN3D p, q;
    if (s > 0) {
        RotateY(&p, &start, h - 90);
        RotateY(&q, &start, c + 90);
    } else {
        RotateY(&p, &start, h - 270);
        RotateY(&q, &start, c - 90);
    }
    v = {p.x + q.x, p.y + q.y, p.z + q.z, 0};
}

}  // namespace

void RotateVector3(tagKRN3D* out, const tagKRN3D* v, const tagKRN3D* angles) {
    double x = v->x, y = v->y, z = v->z;
    const double t = v->t;
    if (angles->z != 0) {
        const double c = std::cos(Rad(angles->z)), s = std::sin(Rad(angles->z));
        const double nx = x * c - y * s, ny = x * s + y * c;
        x = nx;
        y = ny;
    }
    if (angles->x != 0) {
        const double c = std::cos(Rad(angles->x)), s = std::sin(Rad(angles->x));
        const double ny = y * c - z * s, nz = y * s + z * c;
        y = ny;
        z = nz;
    }
    if (angles->y != 0) {
        const double c = std::cos(Rad(angles->y)), s = std::sin(Rad(angles->y));
        const double nz = z * c - x * s, nx = z * s + x * c;
        z = nz;
        x = nx;
    }
    *out = {x, y, z, t};
}

void RotateY(tagKRN3D* out, const tagKRN3D* v, double degrees) {
    const double c = std::cos(Rad(degrees)), s = std::sin(Rad(degrees));
    const double x = v->z * s + v->x * c, z = v->z * c - v->x * s;
    *out = {x, v->y, z, v->t};
}

void RotateX(tagKRN3D* out, const tagKRN3D* v, double degrees) {
    const double c = std::cos(Rad(degrees)), s = std::sin(Rad(degrees));
    const double y = v->y * c - v->z * s, z = v->y * s + v->z * c;
    *out = {v->x, y, z, v->t};
}

void UnwrapAngles(tagKRN3D* out, const tagKRN3D* angles, const tagKRN3D* reference) {
    auto unwrap = [](double a, double r) {
        const double d = a - r;
        return a + (d > 180 ? -360.0 : d < -180 ? 360.0 : 0.0);
    };
    *out = {unwrap(angles->x, reference->x), unwrap(angles->y, reference->y),
            unwrap(angles->z, reference->z), angles->t};
}

double TurnSign(int target, double heading) {
    return SignStep(NormaliseInt(target - Round(heading)));
}

double TurnSignD(double a, double b) { return SignStep(NormaliseInt(Round(a - b))); }

int TurnDirection(int target, double heading) {
    const int d = NormaliseInt(target - Round(heading));
    return d > 0 ? 1 : d < 0 ? 2 : 0;
}

double ClampAngleDiff(int a, double b, double limit) {
    const double d = Normalise(a - b);
    return d > limit ? limit : d < -limit ? -limit : d;
}

double HeadingStep(double target, double heading, int aircraft) {
    const double d = Normalise(target - heading);
    if (d == 0) return 0.0;
    ObjectRecord* o = Object(aircraft);
    AircraftRecord* a = Aircraft(aircraft);
    if (!o || !a) return 0.0;
    double limit = 0.2;
    if (!Airborne(*o, *a)) limit = o->speed / (a->tspeed != 0 ? a->tspeed : kGroundTurnSpeed);
    return d > limit ? limit : d < -limit ? -limit : d;
}

int AngleBetween(double a, double b, double c) {
    const double p = Normalise(b - a), q = Normalise(b - c);
    return (p < 0 && q >= 0) || (p > 0 && q <= 0);
}

int AngleOutside(double a, double b, double c) {
    const double p = Normalise(b - a), q = Normalise(b - c);
    return (p < 0 && q <= 0) || (p > 0 && q >= 0);
}

double Distance2D(const tagKRN3D* a, const tagKRN3D* b) {
    const double dx = a->x - b->x, dz = a->z - b->z;
    return std::sqrt(dx * dx + dz * dz);
}

double Distance3DInt(const tagKRN3D* a, const tagKRN3D* b) {
    const double dx = Round(a->x) - Round(b->x), dy = Round(a->y) - Round(b->y),
                 dz = Round(a->z) - Round(b->z);
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

void LookAnglesEx(const tagKRN3D* from, const tagKRN3D* to, tagKRN3D* out, double* h, double* l) {
    const double dx = to->x - from->x, dy = to->y - from->y, dz = to->z - from->z;
    const double len = std::sqrt(dx * dx + dy * dy + dz * dz);
    const double hor = std::sqrt(dx * dx + dz * dz);
    double pitch = 0, heading = 0;
    // Equal points have no direction: a level look straight ahead, not NaN.
    if (len != 0) {
        pitch = Deg(std::asin(std::fabs(dy) / len));
        if (!(dy < 0)) pitch = -pitch;
    }
    if (hor != 0) {
        heading = Deg(std::acos(dz / hor));
        if (dx < 0) heading = -heading;
    }
    *out = {pitch, heading, 0, to->t};
    if (h) *h = hor;
    if (l) *l = len;
}

void LookAngles(const tagKRN3D* from, const tagKRN3D* to, tagKRN3D* out) {
    LookAnglesEx(from, to, out, nullptr, nullptr);
}

int BearingInt(const tagKRN3D* a, const tagKRN3D* b) {
    double h;
    const double deg = HeadingOf(a, b, &h);
    return h == 0 ? 0 : KeepDegrees(Round(deg + 0.5));
}

double Bearing(const tagKRN3D* a, const tagKRN3D* b) {
    double h;
    const double deg = HeadingOf(a, b, &h);
    return h == 0 ? 0.0 : KeepDegrees(deg);
}

int ReverseBearingInt(const tagKRN3D* a, const tagKRN3D* b) {
    double h;
    const double deg = HeadingOf(a, b, &h);
    return h == 0 ? 0 : KeepDegrees(Round(deg + 180));
}

double ReverseBearing(const tagKRN3D* a, const tagKRN3D* b) {
    double h;
    const double deg = HeadingOf(a, b, &h);
    return h == 0 ? 0.0 : KeepDegrees(deg + 180);
}

int CameraOffsetFromObject(const tagKRN3D* angles, int slot, tagKRN3D* eye) {
    const ObjectRecord* o = UsedObject(slot);
    if (!o) return 0;
    const tagKRN3D& base = slot < kViewPointFirst ? o->pos : GetViewPoint(slot).point;
    tagKRN3D back;
    BackAlongView(angles, &back);
    PlaceEye(base, back, eye);
    return 1;
}

int CameraOffsetFromAngles(const tagKRN3D* angles, int slot, tagKRN3D* eye, tagKRN3D* outangles) {
    const ObjectRecord* o = UsedObject(slot);
    if (!o) return 0;
    const tagKRN3D turned = {angles->x + o->angle.x, angles->y + o->angle.y, angles->z + o->angle.z,
                             angles->t};
    *outangles = turned;
    tagKRN3D back;
    BackAlongView(&turned, &back);
    PlaceEye(o->pos, back, eye);
    return 1;
}

int CameraOffsetToward(const tagKRN3D* offseta, const tagKRN3D* offsetb, int slota, int slotb,
                       tagKRN3D* eye, tagKRN3D* outangles) {
    const ObjectRecord* oa = UsedObject(slota);
    const ObjectRecord* ob = UsedObject(slotb);
    if (!oa || !ob) return 0;
    const tagKRN3D a = {oa->pos.x + offseta->x, oa->pos.y + offseta->y, oa->pos.z + offseta->z, 0};
    const tagKRN3D b = {ob->pos.x + offsetb->x, ob->pos.y + offsetb->y, ob->pos.z + offsetb->z, 0};
    LookAngles(&a, &b, outangles);
    tagKRN3D back;
    BackAlongView(outangles, &back);
    PlaceEye(oa->pos, back, eye);
    return 1;
}

void TurnAndMove(int aircraft) {
    const ObjectRecord* o = Object(aircraft);
    const AircraftRecord* a = Aircraft(aircraft);
    if (!o || !a) return;
    double r = kTurnFactor * std::max(o->speed, a->tspeed);
    if (Airborne(*o, *a)) r = r * 5.0;
    TurnStep(aircraft, r, false);
}

void TurnAndMoveSharp(int aircraft) {
    const ObjectRecord* o = Object(aircraft);
    if (!o) return;
    TurnStep(aircraft, kTurnFactor * o->speed * 5.0, false);
}

void TurnAndMoveRadius(int aircraft) {
    const ObjectRecord* o = Object(aircraft);
    const AircraftRecord* a = Aircraft(aircraft);
    if (!o || !a) return;
    double r = kTurnFactor * std::max(o->speed, a->tspeed);
    // A `tlimit` that creation never set gives no radius: the aircraft holds still.
    if (Airborne(*o, *a)) r = a->tlimit != 0 ? r / a->tlimit : NAN;
    TurnStep(aircraft, r, false);
}

void TurnAndMoveRadius2(int aircraft) {
    const ObjectRecord* o = Object(aircraft);
    const AircraftRecord* a = Aircraft(aircraft);
    if (!o || !a) return;
    TurnStep(aircraft, a->tlimit != 0 ? kTurnFactor * o->speed / a->tlimit : NAN, false);
}

void TurnAndMoveBack(int aircraft) {
    const ObjectRecord* o = Object(aircraft);
    if (!o) return;
    TurnStep(aircraft, kTurnFactor * o->speed, true);
}

void PitchStep(int aircraft, tagKRN3D* vector) {
    const ObjectRecord* o = Object(aircraft);
    const AircraftRecord* a = Aircraft(aircraft);
    if (!o || !a || !vector) return;
    // Creation never sets `prate`: a zero rate gives no step instead of an infinite one.
    if (a->prate == 0) {
        *vector = {0, 0, 0, 0};
        return;
    }
    const double r = kTurnFactor * o->speed / a->prate;
    const tagKRN3D start = {0, 0, -r, 0};
    const double pitch = o->angle.x;
    if (pitch > 0) {
        RotateX(vector, &start, pitch - 90);
        vector->y += r;
    } else {
        RotateX(vector, &start, pitch - 270);
        vector->y -= r;
    }
}
