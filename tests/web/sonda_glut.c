/* sonda_glut.c: a freeglut window the size of the page's canvas that prints
 * every keyboard, special-key, mouse and motion callback it receives, one
 * line each: what freeglut on X hands a program, for the page to match. */
#include <GL/freeglut.h>
#include <stdio.h>

static void tasto(unsigned char c, int x, int y) { (void)x, (void)y, printf("keyboard %d\n", c); }
static void speciale(int c, int x, int y) { (void)x, (void)y, printf("special %d\n", c); }
static void mouse(int b, int s, int x, int y) { printf("mouse %d %d %d %d\n", b, s, x, y); }
static void moto(int x, int y) { printf("motion %d %d\n", x, y); }
static void disegna(void) {}   /* its picture is not looked at */

int main(int argc, char **argv)
{
    setvbuf(stdout, NULL, _IOLBF, 0);
    glutInit(&argc, argv);
    glutInitWindowSize(1000, 660);
    glutInitWindowPosition(50, 50);
    glutCreateWindow("Sonda");
    glutDisplayFunc(disegna);
    glutKeyboardFunc(tasto);
    glutSpecialFunc(speciale);
    glutMouseFunc(mouse);
    glutMotionFunc(moto);
    glutMainLoop();
    return 0;
}
