/* A stand-in for a scanner source manager, loaded by path in the tests of
   the acquisition clean-up. */

int DSM_Entry(void) { return 0; }
