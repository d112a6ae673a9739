// Integer trigonometry, angle search, ranges and random numbers.
#include <cmath>
#include <cstdlib>

#include "zem40.h"

namespace {

// cos and sin x 10000 for 0..45 degrees; the rest of the circle is folded onto it.
constexpr short kTrig[46][2] = {
    {10000, 0},   {9998, 175},  {9994, 349},  {9986, 523},  {9976, 698},  {9962, 872},
    {9945, 1045}, {9925, 1219}, {9903, 1392}, {9877, 1564}, {9848, 1736}, {9816, 1908},
    {9781, 2079}, {9744, 2249}, {9703, 2419}, {9659, 2588}, {9613, 2756}, {9563, 2924},
    {9511, 3090}, {9455, 3256}, {9397, 3420}, {9336, 3584}, {9272, 3746}, {9205, 3907},
    {9136, 4067}, {9063, 4226}, {8988, 4384}, {8910, 4540}, {8830, 4695}, {8746, 4848},
    {8660, 5000}, {8572, 5150}, {8481, 5299}, {8387, 5446}, {8290, 5592}, {8192, 5736},
    {8090, 5878}, {7986, 6018}, {7880, 6156}, {7772, 6293}, {7661, 6428}, {7547, 6560},
    {7432, 6691}, {7314, 6820}, {7194, 6946}, {7071, 7071}};

void Triangle(int deg, int& c, int& s) {
    // Reduce with a wide type first: adding 360 in a loop would take forever for INT_MIN.
    int d = static_cast<int>(((static_cast<long long>(deg) % 360) + 360) % 360);
    int m = d <= 180 ? d : 360 - d;
    const int cosSign = m <= 90 ? 1 : -1;
    if (m > 90) m = 180 - m;
    const int sinSign = d <= 180 ? 1 : -1;
    if (m <= 45) {
        c = kTrig[m][0];
        s = kTrig[m][1];
    } else {
        c = kTrig[90 - m][1];
        s = kTrig[90 - m][0];
    }
    c *= cosSign;
    s *= sinSign;
}

long long FloorDiv(long long a, long long b) {
    const long long q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

}  // namespace

ZEMAPI int ZEM_GetTriangle(int deg, int* cosv, int* sinv) {
    int c, s;
    Triangle(deg, c, s);
    if (cosv) *cosv = c;
    if (sinv) *sinv = s;
    return 1;
}

ZEMAPI int ZEM_GetArcPos(int cx, int cy, int rx, int ry, int deg, int* x, int* y) {
    int c, s;
    Triangle(deg - 90, c, s);
    // Rounded to the nearest point (floor of value + 1/2): truncating toward zero would put the
    // point at 0 degrees one pixel inside the circle and make the ellipse lopsided. Wide
    // products: a radius of a few hundred thousand would overflow 32 bits.
    auto round = [](long long v) { return static_cast<int>(FloorDiv(v + 5000, 10000)); };
    if (x) *x = cx + round(static_cast<long long>(rx) * c);
    if (y) *y = cy + round(static_cast<long long>(ry) * s);
    return 1;
}

ZEMAPI int ZEM_GetAngle(int x1, int y1, int x2, int y2) {
    const double vx = static_cast<double>(x2) - x1, vy = static_cast<double>(y2) - y1;
    if (vx == 0 && vy == 0) return 0;
    // Compare directions: the vector is brought to the table's length first. The table's
    // vectors differ in length by a few parts in ten thousand, so comparing a short vector
    // with them as they stand lands a degree off (straight up would come out as 1).
    const double scale = 10000.0 / std::sqrt(vx * vx + vy * vy);
    const double ux = vx * scale, uy = vy * scale;
    int best = 0;
    double bestDist = 0;
    for (int a = 0; a < 360; ++a) {
        int c, s;
        Triangle(a - 90, c, s);
        const double dist = (ux - c) * (ux - c) + (uy - s) * (uy - s);
        if (a == 0 || dist < bestDist) {
            best = a;
            bestDist = dist;
        }
    }
    return best;
}

ZEMAPI int ZEM_Range(int v, int lo, int hi) {
    if (v < lo) v = lo;
    if (v > hi) v = hi;
    return v;
}

ZEMAPI int ZEM_Limit(int v, int lo, int hi) {
    if (hi <= lo) return v;  // the loops below would never end
    const long long span = static_cast<long long>(hi) - lo;
    long long w = v;
    if (w < lo) w += ((lo - w + span - 1) / span) * span;
    if (w > hi) w -= ((w - hi + span - 1) / span) * span;
    return static_cast<int>(w);
}

ZEMAPI int ZEM_Random(int a, int b) {
    if (b < a) return a;  // an empty range would divide by zero
    const long long span = static_cast<long long>(b) - a + 1;
    return static_cast<int>(a + std::rand() % span);
}
