// The sample airport's text description as the airport maker reads it (see
// data/airport/rjtt/rjtt.txt for the words and what each entry is for).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace airport {

struct Point {
    std::string name;
    double x, z;
};

struct Runway {
    std::string name[2];  // "34L", "16R"
    int threshold[2];     // point indexes
    double width;
};

struct Place {  // an arrival or departure runway, or a spot
    int index;
    std::string name;
    int point;
    int heading;
    bool gate = false;
};

struct Light {
    int index;
    int x, z, y, red, green, blue, range;
};

struct Taxiway {
    std::string name;
    double width;
    std::vector<int> points;
};

struct Rect {
    double x0, z0, x1, z1;
};

struct Run {
    std::string name;
    double x0, z0, x1, z1;
};

struct Preview {
    std::string name;
    std::vector<std::vector<int>> groups;  // each group continues from the last point before it
};

struct Route {
    int group, entry;
    std::string name;
    int32_t value[5];
};

struct Sid {
    std::string name;
    int group[4], entry[4];  // per runway configuration
};

struct Exchange {
    int32_t code, next, msg[4];
    std::string comment;
};

struct Scenery {
    std::string file;
    bool night;
    int resolution;
    bool demo;
    // A demo scene's airport: turned by `turn` degrees about the scene's origin, then moved
    // by (x, z), so that the scene's fixed camera paths look at it (the game's never moves).
    double x = 0, z = 0, turn = 0;
};

struct Part {
    std::string place;  // near, far, top, runs, obj_0, obj_1, obj_2, demo
    int resolution;     // included from this resolution on
    std::string desc;   // "@name" for one the maker writes
};

struct Sky {
    std::string word;  // "", "R", "T", "N"
    int horizon[3], middle[3], zenith[3];
};

struct Description {
    std::string path;
    std::string name;
    double yaw = 0, yaw2 = 0;
    bool ad2 = false;
    std::vector<int> configs;
    std::vector<Point> points;
    std::map<std::string, int> pointIndex;
    std::vector<Runway> runways;
    std::map<std::string, std::array<double, 2>> cameras;
    bool hasTower = false;
    double tower[3] = {0, 0, 0};
    std::vector<Place> arrivals, departures, spots;
    std::vector<int> holds;
    std::vector<Light> lights;
    std::vector<Taxiway> taxiways;
    std::vector<Rect> aprons;
    std::vector<Run> runs;
    std::vector<Preview> previews;
    std::vector<std::vector<std::string>> together;
    std::map<int, std::string> groups;
    std::vector<Route> routes;
    std::vector<Sid> sids;
    std::vector<Exchange> exchanges;
    std::vector<Scenery> sceneries;
    std::vector<Part> parts;
    std::vector<Sky> skies;

    const Point& P(int i) const { return points[static_cast<size_t>(i)]; }
    const Preview* FindPreview(const std::string& n) const {
        for (const Preview& p : previews)
            if (p.name == n) return &p;
        return nullptr;
    }
};

// Reads the description; on a fault prints "file:line: text" lines and returns false.
bool ReadDescription(const std::string& path, Description* out);

// The spot numbers the radio says for spot indexes 0-14 ($V).
constexpr std::array<int, 15> kRadioSpotNumbers = {2,   5,   9,   12,  15,  20,  45,  1000,
                                                   401, 113, 210, 213, 207, 204, 1021};

}  // namespace airport
