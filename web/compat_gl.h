// compat_gl.h: forced (-include) into the viewer's sources in the browser
// build. Emscripten's legacy GL emulation lacks some of what the viewer
// calls and is slow with one draw per glBegin/glEnd, so the viewer's GL
// calls are routed to compat_gl.cpp, which keeps GL's current normal,
// colour and material itself and hands the emulation merged vertex arrays.
// A call that changes what later drawing looks like (state, matrices,
// clears, swaps) must be routed here, or it would act before the batches
// still waiting to be drawn; glClearColor needs not, as the next glClear
// draws what waits first.
#ifndef SUPERFICIE_WEB_COMPAT_GL_H
#define SUPERFICIE_WEB_COMPAT_GL_H

#include <GL/glut.h>

#ifdef __cplusplus
extern "C" {
#endif

void compat_glBegin(GLenum mode);
void compat_glEnd(void);
void compat_glVertex3f(GLfloat x, GLfloat y, GLfloat z);
void compat_glNormal3f(GLfloat x, GLfloat y, GLfloat z);
void compat_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void compat_glMaterialfv(GLenum face, GLenum pname, const GLfloat *params);
void compat_glLightf(GLenum light, GLenum pname, GLfloat param);
void compat_glLightfv(GLenum light, GLenum pname, const GLfloat *params);
void compat_glShadeModel(GLenum mode);
void compat_glEnable(GLenum cap);
void compat_glDisable(GLenum cap);
void compat_glBlendFunc(GLenum sfactor, GLenum dfactor);
void compat_glClear(GLbitfield mask);
void compat_glMatrixMode(GLenum mode);
void compat_glLoadIdentity(void);
void compat_glTranslatef(GLfloat x, GLfloat y, GLfloat z);
void compat_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void compat_glLineWidth(GLfloat width);
void compat_glPolygonMode(GLenum face, GLenum mode);
void compat_glFlush(void);
void compat_gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble znear, GLdouble zfar);
int compat_glutCreateWindow(const char *title);
void compat_glutSwapBuffers(void);

// glibc's malloc tuning, which the desktop viewer sets: Emscripten's
// dlmalloc has mallopt with these codes but its malloc.h declares neither.
int mallopt(int param, int value);

#ifdef __cplusplus
}
#endif

#define M_TRIM_THRESHOLD (-1)
#define M_MMAP_THRESHOLD (-3)

#define glBegin compat_glBegin
#define glEnd compat_glEnd
#define glVertex3f compat_glVertex3f
#define glNormal3f compat_glNormal3f
#define glColor4f compat_glColor4f
#define glMaterialfv compat_glMaterialfv
#define glLightf compat_glLightf
#define glLightfv compat_glLightfv
#define glShadeModel compat_glShadeModel
#define glEnable compat_glEnable
#define glDisable compat_glDisable
#define glBlendFunc compat_glBlendFunc
#define glClear compat_glClear
#define glMatrixMode compat_glMatrixMode
#define glLoadIdentity compat_glLoadIdentity
#define glTranslatef compat_glTranslatef
#define glViewport compat_glViewport
#define glLineWidth compat_glLineWidth
#define glPolygonMode compat_glPolygonMode
#define glFlush compat_glFlush
#define gluPerspective compat_gluPerspective
#define glutCreateWindow compat_glutCreateWindow
#define glutSwapBuffers compat_glutSwapBuffers

#endif
