//// The shapes of the sample library.
#ifndef SHAPES_H
#define SHAPES_H

#include "geometry.h"

/*{
  AUTHORS: carol
  VERSION: 2.0
  COMMENT{Every shape knows its area and how to move itself.}
}*/
class Shape {
public:
    Shape();
    virtual ~Shape();
    virtual double area() const = 0;
    void moveTo(const Point& where);
    const Point& position() const { return origin; }

protected:
    Point origin;
    char* label;
};

/// A circle around its origin.
class Circle : public Shape {
public:
    Circle(int radius);
    double area() const;
    Circle& operator=(const Circle& other);
    int radius() const { return r; }

private:
    int r;
};

/// An axis-parallel rectangle.
class Rectangle : public Shape {
public:
    Rectangle(const Size& size);
    double area() const;
    Size size() const;

private:
    Size extent;
    static int count;
};

typedef Shape* ShapePointer;

#endif
