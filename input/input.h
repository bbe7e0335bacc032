// input.h: the mouse-button, drag and key handlers.
//
// Gestures and keys, letters in either case; each acts on the selected object:
//
//   left drag     turn about the object's own centre, 100 pixels to one
//                 radian: vertical movement about the world X axis,
//                 horizontal about the world Y axis
//   right drag    rescale, 1 % per pixel, up to enlarge and down to shrink;
//                 until the left button has been released once, it turns
//   middle drag   move in the floor plane, 10 pixels to one unit, down the
//                 screen towards the viewer
//   0 1 2 3       select the object in that slot
//   4, space      select none
//   a / q         shrink to three quarters / grow by a quarter (up to a
//                 million times the created size)
//   r             back as created
//   o / b         floor shadows / edges on and off
//   j / u         every face more / less transparent (blending on and depth
//                 test off, until u is back at the start alpha)
//   arrows        turn by 6 radians: up and down about the world X axis,
//                 left and right about the world Y axis
//
// The first motion of a left or right drag still goes to the handler the
// previous frame chose. Every ordinary key recolours every face.
//
// mouse() only records the button flags and the press position; the drag
// handler that a motion event reaches is the one the last frame installed
// (viewer/finestra.h). Every handler acts on slot p_target through the
// transformations and posts a redisplay; a p_target outside 0..3 names no
// slot, and the handlers then change nothing but still post the redisplay.
// rotazione_camera_mouse is installed by no gesture (the camera never turns);
// tests/gl calls it directly and checks that it moves nothing.
#ifndef SUPERFICIE_INPUT_INPUT_H
#define SUPERFICIE_INPUT_INPUT_H

// 1 while the middle button is held: traslazione_mouse stays installed for
// the whole middle drag, whatever the frames drawn meanwhile would choose.
extern int centrale;

// Rescale factor used for a single event that would shrink by 100 % or more.
constexpr double FATTORE_MINIMO = 0.1;
// Largest size, relative to the created object, that "q" and an upward drag
// may reach. Far past the point where the whole view lies inside the object;
// growing on would only overflow the matrices to infinity and NaN, after
// which nothing but "r" could bring the object back.
constexpr double SCALA_MASSIMA = 1e6;

// True when scaling the selected slot by factor keeps it within
// SCALA_MASSIMA (shrinking always does).
bool crescita_ammessa(int slot, double factor);

// Turn of one arrow key, radians (not degrees).
constexpr double PASSO_FRECCIA = 6.0;

// The motion callback currently installed (nullptr before the first frame).
// Every glutMotionFunc call of the program goes through
// installa_trascinamento, so this always names what the toolkit would call.
extern void (*trascinamento)(int x, int y);
void installa_trascinamento(void (*handler)(int x, int y));

void mouse(int button, int state, int x, int y);
void rotazione_mouse(int x, int y);          // 100 px = 1 radian, about world X and Y
void riscalamento_mouse(int x, int y);       // 1 % per pixel of vertical movement
void traslazione_mouse(int x, int y);        // 10 px = 1 unit, in the floor plane
void rotazione_camera_mouse(int x, int y);   // records the angles, moves nothing

void keyboard(unsigned char key, int x, int y);
void keyboard_s(int key, int x, int y);

#endif
