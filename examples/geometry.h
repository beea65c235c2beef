//// The plain data of the sample library: points, sizes and values, and the
//// free functions that work on them.
#ifndef GEOMETRY_H
#define GEOMETRY_H

/*{
  LIBNAME: geometry
  AUTHORS: ann, bob
  VERSION: 1.2
  COMMENT{A point in the plane, in whole units.}
  EXAMPLE{Point origin; origin.x = 0; origin.y = 0;}
}*/
struct Point {
    /// the horizontal coordinate
    int x;
    /// the vertical coordinate
    int y;
};

/// A width and a height.
struct Size {
    unsigned int width;
    unsigned int height;
};

/// One value of a drawing attribute: a colour or a thickness.
union Value {
    long colour;
    double thickness;
};

typedef struct Point Vertex;
typedef unsigned long Colour;

int distance(const Point& a, const Point& b);
Point translate(Point p, int dx, int dy);
Size scale(Size s, double factor = 1.0);

#endif
