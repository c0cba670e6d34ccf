// A library with no compiled code yet still ships its shared object.
