extern "C" int tav_probe() {
    return 1;
}
